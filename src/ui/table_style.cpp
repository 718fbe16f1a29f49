#include "ui/table_style.h"

#include <QApplication>
#include <QFontDatabase>
#include <QPalette>

namespace pa {

namespace {

QString family(std::string_view name) {
    return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

} // namespace

QFont tableFont(layout::Font code) {
    const bool designed = QFontDatabase::hasFamily(family(layout::kFontFamily));
    QFont font(family(designed ? layout::kFontFamily : layout::kFallbackFontFamily));
    const layout::FontStyle style = layout::fontStyle(code);
    font.setPointSizeF(style.pointSize);
    font.setBold(style.bold);
    if (!designed)
        font.setStretch(layout::kFallbackStretch);
    return font;
}

QColor tableColour(layout::Colour colour) {
    switch (colour) {
    case layout::Colour::Black:
        return {0, 0, 0};
    case layout::Colour::DarkBlue:
        return {0, 0, 128};
    case layout::Colour::DarkGreen:
        return {0, 64, 0};
    case layout::Colour::Highlight:
        return QApplication::palette().color(QPalette::Highlight);
    case layout::Colour::System:
    case layout::Colour::LightGreyFace:
        break;
    }
    return QApplication::palette().color(QPalette::WindowText);
}

} // namespace pa
