#pragma once

#include "plan/plan.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace pa::plan {

// The wall column of the positions: "ближняя" for the wall at Y = 0, "дальняя" for the wall at
// Y = W, nothing for a ceiling loudspeaker.
std::string_view wallName(Wall wall);

// A length in metres to 0.01 with the given decimal separator ("1,50").
std::string metres(double value, std::string_view decimalSeparator);

// One row of the positions table: number, X, Y and wall.
using PositionRow = std::array<std::string, 4>;

inline constexpr std::array<std::string_view, 4> kPositionHeader{"№", "X, м", "Y, м", "Стена"};

std::vector<PositionRow> positionRows(const std::vector<Speaker>& speakers,
                                      std::string_view decimalSeparator);

// The positions as spreadsheet text (core/csv.h), the header row first.
std::string positionsCsv(const std::vector<Speaker>& speakers, std::string_view decimalSeparator);

} // namespace pa::plan
