#pragma once

#include "ui/form1_controls.h"
#include "ui/layout_table.h"

#include <QPalette>

class QMainWindow;
class QWidget;

namespace pa::layout {

// Colours that do not depend on the desktop's. The table fixes caption colours and faces meant
// for a light window; everything else comes from here, so a dark desktop leaves every text
// readable.
QPalette lightPalette();

// Builds the whole window from the table: client area, controls with their geometry, fonts and
// colours, accessible names, menu, tab chain, and one tab stop for each option group. Returns
// the controls the window's behaviour uses; only here are controls found by their names.
Form1Controls buildWindow(QMainWindow& window);

} // namespace pa::layout
