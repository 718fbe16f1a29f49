#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace pa {

// Text of the Qt-free layers (UTF-8) as the widgets take it.
inline QString qs(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A name in the guillemets every message puts names in.
inline QString quoted(const QString& text) {
    return QStringLiteral("«") + text + QStringLiteral("»");
}

// And back.
inline std::string str(const QString& text) {
    return text.toStdString();
}

} // namespace pa
