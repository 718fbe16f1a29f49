#include "ui/sheet_style.h"

#include "ui/dialogs.h"

#include <QPdfWriter>

namespace pa {

namespace {

const QString kFontFamily = QStringLiteral("DejaVu Sans");
constexpr double kMarginMm = 10;
constexpr int kPdfResolution = 1200; // dpi

} // namespace

QFont sheetFont(double points, bool bold) {
    QFont font(kFontFamily);
    font.setPointSizeF(points);
    font.setBold(bold);
    // Outline glyphs embed in a PDF as text with its Unicode mapping; a bitmap face would not.
    font.setStyleStrategy(QFont::PreferOutline);
    return font;
}

QPageLayout sheetLayout() {
    return {QPageSize(QPageSize::A4), QPageLayout::Landscape,
            QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm), QPageLayout::Millimeter};
}

void prepareSheetPdf(QPdfWriter& writer, const QString& title) {
    writer.setResolution(kPdfResolution);
    writer.setPageLayout(sheetLayout());
    writer.setTitle(title);
    writer.setCreator(kProgramTitle);
}

} // namespace pa
