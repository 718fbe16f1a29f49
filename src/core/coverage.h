#pragma once

#include "core/record.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace pa {

// The input fields a stop can put the focus on.
enum class Field { None, Power, Sensitivity, Noise, Height, Length, Width, Distance };

// A calculation that ended early: the message to show and the field to focus.
struct Stop {
    std::string message;
    Field focus = Field::None;

    friend bool operator==(const Stop&, const Stop&) = default;
};

struct CoverageInputs {
    std::string power;       // TxtPv
    std::string sensitivity; // TxtPd
    std::string noise;       // TxtN
    std::string height;      // TxtH
    std::string length;      // TxtL
    std::string width;       // TxtW
    int gradation = 1;       // selected power gradation member 1..3, 0 when none is selected
    bool ceiling = true;     // whether the ceiling type is selected
};

struct CoverageOutcome {
    // The room-area caption, present once the calculation got as far as the area.
    std::optional<std::string> area;
    // Present when the calculation stopped; the window then empties the result labels.
    std::optional<Stop> stop;
    // Captions of total sound pressure, effective range, covered area and loudspeaker count;
    // all empty after a stop.
    std::array<std::string, 4> results;
};

// Runs the coverage calculation on the field texts, writing the record as it goes.
CoverageOutcome calculateCoverage(const CoverageInputs& inputs, CalculationRecord& record,
                                  std::string_view decimalSeparator);

// The room-area caption for two field texts, as the area timer shows it ("" when the product
// is not a finite number).
std::string roomAreaText(std::string_view length, std::string_view width,
                         std::string_view decimalSeparator);

struct AttenuationOutcome {
    std::string caption; // the attenuation in dB, when there is no stop
    std::optional<Stop> stop;
};

// Attenuation between 1 m and the distance in the text, 20 dB per tenfold distance.
AttenuationOutcome calculateAttenuation(std::string_view distanceText,
                                        std::string_view decimalSeparator);

} // namespace pa
