// Whole-text conversion with the point and the comma as the locale's separator, checked against
// a regular grammar and the C library's own conversion.
#include "check.h"
#include "core/numbers.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <regex>

using pa::fuzz::require;

namespace {

// The only form accepted: blanks, a sign, digits with one point, an exponent, blanks. The
// separator has already been replaced by the point.
bool wellFormed(const std::string& text) {
    static const std::regex grammar(
        R"([ \t]*[+-]?([0-9]+(\.[0-9]*)?|\.[0-9]+)([eE][+-]?[0-9]+)?[ \t]*)", std::regex::optimize);
    return std::regex_match(text, grammar);
}

bool mantissaIsZero(const std::string& text) {
    const auto end = text.find_first_of("eE");
    const std::string mantissa = text.substr(0, end);
    return mantissa.find_first_of("123456789") == std::string::npos;
}

// What the conversion must give for a well-formed text: strtod's value (the fuzzer runs in the
// C locale), unless that value is not finite or only an underflow made it zero.
std::optional<double> expected(const std::string& text) {
    errno = 0;
    const double value = std::strtod(text.c_str(), nullptr);
    if (!std::isfinite(value) || (value == 0 && !mantissaIsZero(text)))
        return std::nullopt;
    return value;
}

bool same(std::optional<double> a, std::optional<double> b) {
    return a.has_value() == b.has_value() && (!a || *a == *b);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = pa::fuzz::textOf(data, size);
    const auto withPoint = pa::parseNumber(text, ".");
    const auto withComma = pa::parseNumber(text, ",");
    require(!withPoint || std::isfinite(*withPoint), "point conversion is not finite", text);
    require(!withComma || std::isfinite(*withComma), "comma conversion is not finite", text);

    // Where the locale writes a comma, a comma and a point are interchangeable.
    std::string pointed(text);
    std::replace(pointed.begin(), pointed.end(), ',', '.');
    require(same(withComma, pa::parseNumber(pointed, ".")),
            "comma conversion differs from the point conversion of the same text", text);

    // The grammar is matched by backtracking; long texts only cost time.
    if (size > 256 || pointed.find('\0') != std::string::npos)
        return 0;
    if (!wellFormed(std::string(text)))
        require(!withPoint, "malformed text converted with the point", text);
    if (!wellFormed(pointed)) {
        require(!withComma, "malformed text converted with the comma", text);
        return 0;
    }
    require(same(withComma, expected(pointed)), "conversion differs from the C library's value",
            text);
    return 0;
}
