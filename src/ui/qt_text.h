#pragma once

#include <QString>

#include <string_view>

namespace pa {

// Text of the Qt-free layers (UTF-8) as the widgets take it.
inline QString qs(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace pa
