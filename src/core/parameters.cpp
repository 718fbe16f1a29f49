#include "core/parameters.h"

#include "core/geometry.h"
#include "core/numbers.h"

#include <string>

namespace pa {

double dirCoefFromAngle(std::string_view angleText) {
    // This order of operations is part of the result: it reproduces the stored coefficients to
    // the last bit.
    return ((leadingNumber(angleText) / 10) * kApproxPi) / 18;
}

void applyDirectivity(CalculationRecord& record, std::string_view angleText) {
    record.DirAngle = std::string(angleText);
    record.DirCoef = dirCoefFromAngle(angleText);
}

void applyTypeDefault(CalculationRecord& record, SpeakerType type) {
    const TypeDefaults defaults = typeDefaults(type);
    record.DirAngle = std::string(defaults.angleText);
    record.DirCoef = defaults.dirCoef;
}

void applyOverlapLevel(CalculationRecord& record, std::string_view itemText) {
    record.OverlapLevel = leadingNumber(itemText);
}

void applyListenHeight(CalculationRecord& record, std::string_view itemText) {
    record.ListenHeight = leadingNumber(itemText);
}

void applyStartValues(CalculationRecord& record) {
    applyTypeDefault(record, SpeakerType::Ceiling);
    applyOverlapLevel(record, kStartOverlap);
    applyListenHeight(record, kStartListenHeight);
}

} // namespace pa
