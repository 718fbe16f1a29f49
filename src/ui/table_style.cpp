#include "ui/table_style.h"
#include "ui/qt_text.h"

#include <QFontDatabase>
#include <QPalette>

namespace pa {

QFont tableFont(layout::Font code) {
    const bool designed = QFontDatabase::hasFamily(qs(layout::kFontFamily));
    QFont font(qs(designed ? layout::kFontFamily : layout::kFallbackFontFamily));
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
        return lightPalette().color(QPalette::Highlight);
    case layout::Colour::System:
    case layout::Colour::LightGreyFace:
        break;
    }
    return lightPalette().color(QPalette::WindowText);
}

QPalette lightPalette() {
    // The toolkit's own light scheme, written out so that no desktop setting can change it.
    const QColor window(239, 239, 239);
    const QColor text(Qt::black);
    const QColor dark = window.darker(150);
    QPalette palette(text, window, window.lighter(150), dark, window.darker(130), text, Qt::white,
                     Qt::white, window);
    palette.setColor(QPalette::Midlight, window.darker(130).lighter(110));
    palette.setColor(QPalette::Shadow, dark.darker(135));
    palette.setColor(QPalette::Highlight, QColor(48, 140, 198));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::ToolTipBase, QColor(255, 255, 220));
    palette.setColor(QPalette::ToolTipText, text);
    QColor placeholder = text;
    placeholder.setAlpha(128);
    palette.setColor(QPalette::PlaceholderText, placeholder);
    palette.setColor(QPalette::Link, QColor(0, 0, 255));
    palette.setColor(QPalette::LinkVisited, QColor(255, 0, 255));
    const QColor disabledText(190, 190, 190);
    for (QPalette::ColorRole role : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, disabledText);
    palette.setColor(QPalette::Disabled, QPalette::Base, window);
    return palette;
}

} // namespace pa
