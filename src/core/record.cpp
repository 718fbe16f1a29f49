#include "core/record.h"

#include "core/numbers.h"

#include <cmath>

namespace pa {

double RecordValue::number() const {
    const double* value = std::get_if<double>(&value_);
    return value ? *value : 0.0;
}

const std::string& RecordValue::text() const {
    static const std::string empty;
    const std::string* value = std::get_if<std::string>(&value_);
    return value ? *value : empty;
}

std::string RecordValue::print(std::string_view decimalSeparator) const {
    if (isNumber())
        return numberText(number(), decimalSeparator);
    return text();
}

void CalculationRecord::Logdb(int watts) {
    // The decimal logarithm itself: ln(x)/ln(10) falls just short of whole decades (1000 gave
    // 2.9999999999999996) and floors to one less.
    PowerDb = 10.0 * std::log10(static_cast<double>(watts));
}

} // namespace pa
