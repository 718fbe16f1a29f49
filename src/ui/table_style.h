#pragma once

#include "ui/layout_table.h"

#include <QColor>
#include <QFont>

namespace pa {

// A font of the main window's table, in its family or the substitute where that is missing, so
// that further windows look like the main one.
QFont tableFont(layout::Font code);
// The text colour a caption colour of the table stands for.
QColor tableColour(layout::Colour colour);

} // namespace pa
