#include "core/numbers.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace pa {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// from_chars is locale-independent, which matters: the widget toolkit switches the C locale to
// the user's one, and strtod would then expect the user's separator.
std::optional<double> toDouble(std::string_view plain) {
    double value = 0;
    const auto [end, error] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (error != std::errc() || end != plain.data() + plain.size())
        return std::nullopt;
    return value;
}

} // namespace

double leadingNumber(std::string_view text) {
    std::size_t end = 0;
    bool significant = false; // a non-zero digit before the point
    while (end < text.size() && isDigit(text[end])) {
        significant = significant || text[end] != '0';
        ++end;
    }
    std::size_t digits = end;
    if (end < text.size() && text[end] == '.') {
        std::size_t fraction = end + 1;
        while (fraction < text.size() && isDigit(text[fraction]))
            ++fraction;
        digits += fraction - end - 1;
        end = fraction;
    }
    if (digits == 0)
        return 0;
    // A leading zero keeps ".5" and "1." in the form from_chars takes.
    std::string plain = "0";
    plain.append(text.substr(0, end));
    if (plain.back() == '.')
        plain.pop_back();
    if (const auto value = toDouble(plain))
        return *value;
    // Out of range: without an exponent only a huge whole part overflows; the rest underflows.
    return significant ? std::numeric_limits<double>::infinity() : 0.0;
}

std::optional<double> parseNumber(std::string_view text, std::string_view decimalSeparator) {
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);

    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }

    std::string plain;
    std::size_t pos = 0;
    std::size_t mantissaDigits = 0;
    auto takeDigits = [&] {
        std::size_t count = 0;
        while (pos < text.size() && isDigit(text[pos])) {
            plain.push_back(text[pos++]);
            ++count;
        }
        return count;
    };
    mantissaDigits += takeDigits();
    const std::string_view rest = text.substr(pos);
    if (!decimalSeparator.empty() && rest.starts_with(decimalSeparator)) {
        pos += decimalSeparator.size();
        plain.push_back('.');
        mantissaDigits += takeDigits();
    } else if (rest.starts_with('.')) {
        ++pos;
        plain.push_back('.');
        mantissaDigits += takeDigits();
    }
    if (mantissaDigits == 0)
        return std::nullopt;
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
        plain.push_back('e');
        ++pos;
        if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
            plain.push_back(text[pos++]);
        if (takeDigits() == 0)
            return std::nullopt;
    }
    if (pos != text.size())
        return std::nullopt;

    plain.insert(plain.begin(), '0');
    const auto value = toDouble(plain);
    if (!value || !std::isfinite(*value))
        return std::nullopt;
    return negative ? -*value : *value;
}

std::string numberText(double value, std::string_view decimalSeparator) {
    if (!std::isfinite(value))
        return {};
    if (value == 0)
        return "0";

    // Rounded to 15 digits, the largest doubles would pass the largest double and their text
    // could not be read back; they are shown cut to the largest 15-digit value instead.
    constexpr double kLargestShown = 1.79769313486231e308;
    const double magnitude = std::min(std::fabs(value), kLargestShown);

    // Scientific form with 15 significant digits gives the digits and the exponent, rounded
    // once; the text is then laid out positionally.
    std::array<char, 64> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude,
                                      std::chars_format::scientific, 14);
    const std::string_view scientific(buffer.data(),
                                      static_cast<std::size_t>(result.ptr - buffer.data()));
    const std::size_t ePos = scientific.find('e');
    std::string digits;
    for (char c : scientific.substr(0, ePos))
        if (isDigit(c))
            digits.push_back(c);
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    int exponent = 0;
    std::string_view exponentText = scientific.substr(ePos + 1);
    if (exponentText.starts_with('+'))
        exponentText.remove_prefix(1);
    std::from_chars(exponentText.data(), exponentText.data() + exponentText.size(), exponent);

    std::string text = value < 0 ? "-" : "";
    const int integerDigits = exponent + 1;
    if (integerDigits <= 0) {
        text += "0";
        text += decimalSeparator;
        text.append(static_cast<std::size_t>(-integerDigits), '0');
        text += digits;
    } else if (static_cast<std::size_t>(integerDigits) >= digits.size()) {
        text += digits;
        text.append(static_cast<std::size_t>(integerDigits) - digits.size(), '0');
    } else {
        text += digits.substr(0, static_cast<std::size_t>(integerDigits));
        text += decimalSeparator;
        text += digits.substr(static_cast<std::size_t>(integerDigits));
    }
    return text;
}

double wholePart(double value) {
    return std::floor(value);
}

double roundHalfEven(double value) {
    const double below = std::floor(value);
    const double fraction = value - below;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(below, 2.0) != 0.0))
        return below + 1;
    return below;
}

bool isMissing(std::string_view text) {
    return text.empty() || leadingNumber(text) == 0;
}

} // namespace pa
