#pragma once

#include "core/record.h"
#include "core/speaker_type.h"

#include <string_view>

namespace pa {

// The record writes of the parameter lists and the type options. The window calls these so that
// every value stays computed in one place.

// Opening angle in radians from a degree text, computed as ((a / 10) * kApproxPi) / 18.
double dirCoefFromAngle(std::string_view angleText);

// Directivity picked from the list: DirAngle keeps the text, DirCoef its angle.
void applyDirectivity(CalculationRecord& record, std::string_view angleText);

// A type became the selected one: the type's default directivity replaces any picked one.
void applyTypeDefault(CalculationRecord& record, SpeakerType type);

// Overlap level and listening height picks store the leading number of the item text.
void applyOverlapLevel(CalculationRecord& record, std::string_view itemText);
void applyListenHeight(CalculationRecord& record, std::string_view itemText);

// The overlap level and listening height the lists show at start; the directivity starts at the
// ceiling type's default.
inline constexpr std::string_view kStartOverlap = "10";
inline constexpr std::string_view kStartListenHeight = "150";

// The record as the window leaves it before it is first shown.
void applyStartValues(CalculationRecord& record);

} // namespace pa
