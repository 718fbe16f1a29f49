#pragma once

#include <QFont>
#include <QPageLayout>
#include <QString>

class QPdfWriter;

namespace pa {

// The face of every printed sheet at a size in points; exported pictures use it too.
QFont sheetFont(double points, bool bold = false);
// A4 landscape with the sheets' margins.
QPageLayout sheetLayout();
// A PDF writer set up for sheets: their page, a resolution that places vector lines and text
// finely enough, the document's title and the program as its creator.
void prepareSheetPdf(QPdfWriter& writer, const QString& title);

} // namespace pa
