#pragma once

#include <QColor>
#include <QFont>
#include <QPageLayout>
#include <QString>

class QPdfWriter;

namespace pa {

// What every printed sheet shares: the title band at the top of each page (mm), the heading and
// text sizes (pt) and the fill of a table's header row.
inline constexpr double kSheetHeaderMm = 12;
inline constexpr double kSheetHeadingPt = 10;
inline constexpr double kSheetTextPt = 8;
inline const QColor kSheetHeaderFill(230, 230, 230);

// The face of every printed sheet at a size in points; exported pictures use it too.
QFont sheetFont(double points, bool bold = false);
// A4 landscape with the sheets' margins.
QPageLayout sheetLayout();
// A PDF writer set up for sheets: their page, a resolution that places vector lines and text
// finely enough, the document's title and the program as its creator.
void prepareSheetPdf(QPdfWriter& writer, const QString& title);

} // namespace pa
