// Leading-number reading of arbitrary bytes, checked against the whole-text conversion of the
// part of the text that should have been read.
#include "check.h"
#include "core/numbers.h"

#include <cmath>
#include <limits>

using pa::fuzz::isDigit;
using pa::fuzz::require;

namespace {

// Digits, then at most one point and more digits: what a reader of the leading number takes.
std::string_view numberPrefix(std::string_view text) {
    std::size_t end = 0;
    while (end < text.size() && isDigit(text[end]))
        ++end;
    if (end < text.size() && text[end] == '.') {
        ++end;
        while (end < text.size() && isDigit(text[end]))
            ++end;
    }
    return text.substr(0, end);
}

bool hasSignificantWholePart(std::string_view prefix) {
    for (char c : prefix) {
        if (c == '.')
            return false;
        if (c != '0')
            return true;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = pa::fuzz::textOf(data, size);
    const double value = pa::leadingNumber(text);
    require(!std::isnan(value) && value >= 0, "leading number is negative or NaN", text);

    const std::string_view prefix = numberPrefix(text);
    if (const auto whole = pa::parseNumber(prefix, ".")) {
        require(value == *whole, "leading number differs from the conversion of its digits", text);
    } else if (hasSignificantWholePart(prefix)) {
        // Too many digits for a double: the documented reading is +infinity.
        require(value == std::numeric_limits<double>::infinity(),
                "overlong whole part does not read as infinity", text);
    } else {
        // No digits at all, or a fraction too small for a double.
        require(value == 0, "text without a readable number does not read 0", text);
    }

    // Whatever follows the number cannot change it.
    std::string extended(text);
    extended.insert(prefix.size(), "x1.5");
    require(pa::leadingNumber(extended) == value, "text after the number changed the reading",
            text);
    return 0;
}
