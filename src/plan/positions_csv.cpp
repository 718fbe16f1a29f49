#include "plan/positions_csv.h"

#include <charconv>
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
    // Rounded first, so that -0.004 prints as 0.00 and not as -0.00.
    double rounded = std::round(value * 100) / 100;
    if (rounded == 0 || !std::isfinite(rounded))
        rounded = 0;
    std::array<char, 64> buffer{};
    const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), rounded,
                                            std::chars_format::fixed, 2);
    std::string text(buffer.data(), error == std::errc() ? end : buffer.data());
    if (const std::size_t point = text.find('.'); point != std::string::npos)
        text.replace(point, 1, decimalSeparator);
    return text;
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
    std::string csv = "\xEF\xBB\xBF";
    const auto addRow = [&csv](const auto& fields) {
        for (std::size_t i = 0; i < fields.size(); ++i) {
            if (i > 0)
                csv += ';';
            csv += fields[i];
        }
        csv += "\r\n";
    };
    addRow(kPositionHeader);
    for (const PositionRow& row : positionRows(speakers, decimalSeparator))
        addRow(row);
    return csv;
}

} // namespace pa::plan
