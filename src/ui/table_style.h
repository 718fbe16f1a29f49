#pragma once

#include "ui/layout_table.h"

#include <QColor>
#include <QFont>
#include <QPalette>

namespace pa {

// A font of the main window's table, in its family or the substitute where that is missing, so
// that further windows look like the main one.
QFont tableFont(layout::Font code);
// Colours that do not depend on the desktop's. The table fixes caption colours and faces meant
// for a light window; everything else comes from here, so a dark desktop leaves every text
// readable.
QPalette lightPalette();

// Verdicts in text, dark enough to read on light rows: met, not met, a warning short of a
// failure, and a check that could not be made.
inline const QColor kMetColour(0, 115, 0);
inline const QColor kFailureColour(176, 0, 0);
inline const QColor kWarningColour(160, 95, 0);
inline const QColor kUnmadeColour(110, 80, 20);

// The text colour a caption colour of the table stands for.
QColor tableColour(layout::Colour colour);

} // namespace pa
