#include "plan/positions_csv.h"

#include "core/csv.h"

#include <cmath>

namespace pa::plan {

std::string_view wallName(Wall wall) {
    switch (wall) {
    case Wall::Near:
        return "ближняя";
    case Wall::Far:
        return "дальняя";
    case Wall::None:
        break;
    }
    return {};
}

std::string metres(double value, std::string_view decimalSeparator) {
    return fixedText(std::isfinite(value) ? value : 0, 2, decimalSeparator);
}

std::vector<PositionRow> positionRows(const std::vector<Speaker>& speakers,
                                      std::string_view decimalSeparator) {
    std::vector<PositionRow> rows;
    rows.reserve(speakers.size());
    for (std::size_t i = 0; i < speakers.size(); ++i) {
        const Speaker& s = speakers[i];
        rows.push_back({std::to_string(i + 1), metres(s.x, decimalSeparator),
                        metres(s.y, decimalSeparator), std::string(wallName(s.wall))});
    }
    return rows;
}

std::string positionsCsv(const std::vector<Speaker>& speakers, std::string_view decimalSeparator) {
    std::string csv(kCsvStart);
    appendCsvRow(csv, kPositionHeader);
    for (const PositionRow& row : positionRows(speakers, decimalSeparator))
        appendCsvRow(csv, row);
    return csv;
}

} // namespace pa::plan
