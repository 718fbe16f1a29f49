#pragma once

// What the room plan promises for any layout, checked the same way by both plan fuzzers.
#include "check.h"
#include "plan/dxf.h"
#include "plan/plan.h"
#include "plan/positions_csv.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pa::fuzz {

using plan::Speaker;
using Speakers = std::vector<Speaker>;

// A layout stays inside the room, and wall and horn loudspeakers hang on their own wall.
inline void checkLayout(const plan::PlanInputs& in, plan::Method method, const Speakers& speakers,
                        bool accepted) {
    if (accepted) {
        require(!speakers.empty(), "accepted inputs give no layout");
        if (method == plan::Method::ByCount || method == plan::Method::OneWall ||
            in.type != SpeakerType::Ceiling)
            require(speakers.size() == static_cast<std::size_t>(in.count),
                    "layout by count has another count");
    }
    for (const Speaker& s : speakers) {
        require(s.x >= 0 && s.x <= in.length && s.y >= 0 && s.y <= in.width,
                "loudspeaker laid out outside the room");
        if (in.type == SpeakerType::Ceiling)
            require(s.wall == plan::Wall::None, "ceiling loudspeaker laid out on a wall");
        else
            require((s.wall == plan::Wall::Near && s.y == 0) ||
                        (s.wall == plan::Wall::Far && s.y == in.width),
                    "wall loudspeaker laid out off its wall");
    }
}

inline bool noNul(std::string_view text) {
    return text.find('\0') == std::string_view::npos;
}

inline bool isNumber(std::string_view text, bool needsPoint) {
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return !text.empty() && error == std::errc() && end == text.data() + text.size() &&
           std::isfinite(value) && (!needsPoint || text.find('.') != std::string_view::npos);
}

// Group code and value pairs, CR LF after each line; sections closed in order; every real a
// number with a point; the file ends with EOF.
inline void checkDxf(std::string_view dxf) {
    require(noNul(dxf), "NUL byte in the drawing");
    require(dxf.ends_with("0\r\nEOF\r\n"), "drawing does not end with EOF");
    std::vector<std::string_view> lines;
    for (std::size_t start = 0; start < dxf.size();) {
        const std::size_t end = dxf.find("\r\n", start);
        require(end != std::string_view::npos, "drawing line without CR LF");
        lines.push_back(dxf.substr(start, end - start));
        start = end + 2;
    }
    require(lines.size() % 2 == 0, "drawing group code without a value");
    int open = 0;
    int sections = 0;
    for (std::size_t i = 0; i < lines.size(); i += 2) {
        int code = -1;
        const std::string_view c = lines[i];
        const auto parsed = std::from_chars(c.data(), c.data() + c.size(), code);
        require(parsed.ec == std::errc() && parsed.ptr == c.data() + c.size(),
                "drawing group code is not a number", c);
        const std::string_view value = lines[i + 1];
        require(value.size() <= 255, "drawing value longer than 255 characters");
        if (code >= 10 && code <= 59)
            require(isNumber(value, true), "drawing real is not a number with a point", value);
        if (code >= 60 && code <= 79)
            require(isNumber(value, false), "drawing integer is not a number", value);
        if (code == 0 && value == "SECTION") {
            require(open == 0, "drawing section opened inside another");
            ++open;
            ++sections;
        }
        if (code == 0 && value == "ENDSEC") {
            require(open == 1, "drawing section closed without being opened");
            --open;
        }
    }
    require(open == 0 && sections == 3, "drawing sections unbalanced");
}

// A byte-order mark, the header and one row per loudspeaker, four fields each, numbers filled.
inline void checkCsv(std::string_view csv, std::size_t speakers) {
    require(noNul(csv), "NUL byte in the positions");
    require(csv.starts_with("\xEF\xBB\xBF"), "positions without a byte-order mark");
    std::size_t rows = 0;
    for (std::size_t start = 3; start < csv.size(); ++rows) {
        const std::size_t end = csv.find("\r\n", start);
        require(end != std::string_view::npos, "positions row without CR LF");
        const std::string_view row = csv.substr(start, end - start);
        require(std::count(row.begin(), row.end(), ';') == 3, "positions row without four fields",
                row);
        // Number, X and Y are never empty; only a ceiling loudspeaker's wall is.
        const std::size_t lastField = row.rfind(';');
        require(row.substr(0, lastField + 1).find(";;") == std::string_view::npos &&
                    !row.starts_with(';'),
                "positions row with an empty number", row);
        start = end + 2;
    }
    require(rows == speakers + 1, "positions rows are not the loudspeakers and a header");
}

inline bool samePoint(plan::Point a, double x, double y) {
    return a.x == x && a.y == y;
}

// Figures, their map, the drawing and the positions of one layout. With inputs planInputs
// accepted every figure is a finite number, and a layout inside the room is always mapped.
inline void checkPlan(const plan::PlanInputs& in, const Speakers& speakers, bool accepted,
                      std::uint32_t sampleSeed, std::string_view separator) {
    std::vector<float> map;
    const plan::Figures f = plan::figures(in, speakers, map);
    require(f.count == speakers.size(), "figures count other loudspeakers");
    require(f.mapped == !map.empty(), "figures mapped without a map, or the other way round");
    const bool inside = std::all_of(speakers.begin(), speakers.end(), [&](const Speaker& s) {
        return s.x >= 0 && s.x <= in.length && s.y >= 0 && s.y <= in.width;
    });
    if (accepted && inside && !speakers.empty() && speakers.size() <= plan::kMaxDrawnSpeakers)
        require(f.mapped, "a drawable layout of accepted inputs is not mapped");

    if (f.mapped) {
        const plan::Grid grid = plan::figureGrid(in.length, in.width);
        const auto columns = static_cast<std::size_t>(grid.columns);
        require(map.size() == columns * static_cast<std::size_t>(grid.rows),
                "map size is not the figure grid's");
        require(std::all_of(map.begin(), map.end(), [](float v) { return std::isfinite(v); }),
                "map level not finite");
        const auto minIt = std::min_element(map.begin(), map.end());
        const auto maxIt = std::max_element(map.begin(), map.end());
        const auto minIndex = static_cast<std::size_t>(minIt - map.begin());
        const auto maxIndex = static_cast<std::size_t>(maxIt - map.begin());
        const auto column = [&](std::size_t i) { return static_cast<int>(i % columns); };
        const auto row = [&](std::size_t i) { return static_cast<int>(i / columns); };
        require(f.minLevel == *minIt && f.maxLevel == *maxIt, "figure extremes are not the map's");
        require(f.minLevel <= f.maxLevel, "minimum level above the maximum");
        require(samePoint(f.minAt, grid.x(column(minIndex)), grid.y(row(minIndex))) &&
                    samePoint(f.maxAt, grid.x(column(maxIndex)), grid.y(row(maxIndex))),
                "figure extremes placed at another point than the map's first");
        require(f.shareAtTarget >= 0 && f.shareAtTarget <= 1, "share outside 0..1");
        for (int i = 0; i < grid.columns; ++i)
            require(grid.x(i) >= 0 && grid.x(i) <= in.length, "grid point beyond the end walls");
        for (int i = 0; i < grid.rows; ++i)
            require(grid.y(i) >= 0 && grid.y(i) <= in.width, "grid point beyond the long walls");

        // The fast map against the reference: the extremes, the corners and a few points the
        // input picks.
        std::vector<std::size_t> samples{minIndex, maxIndex, 0, map.size() - 1, columns - 1};
        std::uint32_t state = sampleSeed | 1U;
        for (int i = 0; i < 4; ++i) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            samples.push_back(state % map.size());
        }
        for (const std::size_t i : samples) {
            const double reference = plan::levelAt(in, speakers, grid.x(column(i)), grid.y(row(i)));
            require(std::abs(static_cast<double>(map[i]) - reference) < 0.01,
                    "map differs from levelAt by 0.01 dB or more");
        }
    }
    if (accepted) {
        for (const double v :
             {f.minLevel, f.maxLevel, f.target, f.maxWithNoise, f.onAxisAt3m, f.totalWatts,
              f.amplifierWatts, f.minAt.x, f.minAt.y, f.maxAt.x, f.maxAt.y})
            require(std::isfinite(v), "figure not finite");
        for (const auto& span : {f.stepX, f.stepY})
            require(!span || (std::isfinite(span->min) && std::isfinite(span->max) &&
                              span->min <= span->max),
                    "step not finite or its range reversed");
        for (const auto& v : {f.wallX, f.wallY})
            require(!v || std::isfinite(*v), "wall distance not finite");
    }
    for (const std::string& line : plan::figureLines(in, f, separator))
        require(noNul(line) && line.find("nan") == std::string::npos &&
                    line.find("inf") == std::string::npos,
                "figure line with a broken number", line);

    // The exports of a plan too large to draw are as regular, only slower to check.
    if (speakers.size() <= plan::kMaxDrawnSpeakers) {
        checkDxf(plan::planDxf(in, speakers));
        checkCsv(plan::positionsCsv(speakers, separator), speakers.size());
    }
}

} // namespace pa::fuzz
