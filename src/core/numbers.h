#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pa {

// The longest leading decimal number of a text, the point being the only separator
// ("1.2.3" reads 1.2, ".5" reads 0.5). No sign and no blanks are taken; a text that does not
// begin with a number reads 0. A number too long for a double reads as +infinity.
double leadingNumber(std::string_view text);

// The whole text as one number: blanks around it are ignored, then an optional sign, digits
// with at most one decimal separator and an optional exponent. Both the given separator and
// the point are accepted, because the numeric fields only ever let the point in. Anything
// else, the empty text, and a value a double cannot hold give no value.
std::optional<double> parseNumber(std::string_view text, std::string_view decimalSeparator);

// How a number is shown in labels, fields and the report: positional decimal with up to 15
// significant digits, no leading blank, no trailing zeros, "-" for negatives, a whole number as
// plain digits. Not-finite values have no text and give "".
std::string numberText(double value, std::string_view decimalSeparator);

// Rounding toward minus infinity (-6.02 gives -7).
double wholePart(double value);

// The nearest whole number, a tie going to the even neighbour (2.5 gives 2).
double roundHalfEven(double value);

// A field counts as missing when it is empty or its leading number is 0.
bool isMissing(std::string_view text);

} // namespace pa
