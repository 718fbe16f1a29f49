// Number text of any finite double, with both separators: its form, and that the conversion
// reads it back to the same value within 15 significant digits.
#include "check.h"
#include "core/numbers.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <string>

using pa::fuzz::isDigit;
using pa::fuzz::require;

namespace {

// "-" only in front, no leading zero but the one before a fraction, the separator at most once
// and never last, no trailing zero after it, at most 15 significant digits.
bool wellFormed(const std::string& text, char separator) {
    std::string_view rest = text;
    if (rest.starts_with('-'))
        rest.remove_prefix(1);
    const std::size_t sep = rest.find(separator);
    const std::string_view whole = rest.substr(0, sep);
    const std::string_view fraction =
        sep == std::string_view::npos ? std::string_view() : rest.substr(sep + 1);
    auto allDigits = [](std::string_view part) {
        return std::all_of(part.begin(), part.end(), isDigit);
    };
    if (whole.empty() || !allDigits(whole) || !allDigits(fraction))
        return false;
    if (whole.size() > 1 && whole.front() == '0')
        return false;
    if (sep != std::string_view::npos && (fraction.empty() || fraction.back() == '0'))
        return false;
    std::string digits = std::string(whole) + std::string(fraction);
    digits.erase(0, digits.find_first_not_of('0'));
    if (const auto last = digits.find_last_not_of('0'); last != std::string::npos)
        digits.erase(last + 1);
    return digits.size() <= 15;
}

void check(double value) {
    if (!std::isfinite(value))
        return;
    const std::string point = pa::numberText(value, ".");
    const std::string comma = pa::numberText(value, ",");
    require(wellFormed(point, '.'), "malformed number text with the point", point);
    require(wellFormed(comma, ','), "malformed number text with the comma", comma);
    std::string swapped = comma;
    std::replace(swapped.begin(), swapped.end(), ',', '.');
    require(swapped == point, "the separator changed more than the separator", comma);
    require((value < 0) == point.starts_with('-'), "sign shown wrongly", point);

    for (const auto& [text, separator] : {std::pair{point, "."}, std::pair{comma, ","}}) {
        const auto back = pa::parseNumber(text, separator);
        require(back.has_value(), "number text does not convert back", text);
        // Rounding to 15 digits moves the value by at most half a unit of the 15th digit,
        // and reading back to the nearest double by no more than that again.
        require(std::fabs(*back - value) <= 1e-14 * std::fabs(value),
                "number text does not convert back within 15 digits", text);
        // Below the normal range a double has fewer digits than the text, so the text of the
        // value read back may differ there.
        if (std::fabs(value) >= DBL_MIN)
            require(pa::numberText(*back, separator) == text,
                    "number text of the value read back differs", text);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The bytes as a double reach every exponent and bit pattern; the bytes as text reach the
    // short decimals people type.
    double raw = 0;
    std::memcpy(&raw, data, std::min(size, sizeof raw));
    check(raw);
    if (const auto typed = pa::parseNumber(pa::fuzz::textOf(data, size), "."))
        check(*typed);
    return 0;
}
