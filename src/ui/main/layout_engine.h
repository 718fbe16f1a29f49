#pragma once

#include "ui/layout_table.h"
#include "ui/main/form1_controls.h"

class QMainWindow;
class QWidget;

namespace pa::layout {

// Builds the whole window from the table: client area, controls with their geometry, fonts and
// colours, accessible names, menu, tab chain, and one tab stop for each option group. Returns
// the controls the window's behaviour uses; only here are controls found by their names.
Form1Controls buildWindow(QMainWindow& window);

} // namespace pa::layout
