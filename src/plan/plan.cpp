#include "plan/plan.h"

#include "core/geometry.h"
#include "core/numbers.h"
#include "plan/level_model.h"
#include "plan/rules.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

namespace pa::plan {

namespace {

// Rooms beyond this side length, or layouts beyond this many loudspeakers, are no room the
// plan can draw; they come only from mistyped inputs.
constexpr double kMaxRoomSide = 10000; // m
constexpr double kMaxLaidOut = 1e6;
// Levels far outside anything acoustics knows would only overflow the energy sums.
constexpr double kMaxAbsLevel = 1000; // dB

// Loudspeakers closer than this along a line count as one row or one column, and a step
// may exceed its limit by this much: the approximate pi makes the radius a little short.
constexpr double kTolerance = 0.001; // m

std::optional<double> numberOf(const RecordValue& value, std::string_view separator) {
    if (value.isNumber())
        return value.number();
    if (value.isText())
        return parseNumber(value.text(), separator);
    return std::nullopt;
}

double stepFor(const PlanInputs& in, Method method) {
    const double radius = coverageRadius(in);
    switch (method) {
    case Method::EdgeToEdge:
        return 2 * radius;
    case Method::MinimumOverlap:
        return std::sqrt(2.0) * radius;
    case Method::EdgeToCentre:
        return radius;
    case Method::ByCount:
    case Method::OneWall:
        break;
    }
    return 0;
}

// Columns and rows of a ceiling method, as doubles so absurd sizes can be refused first.
std::array<double, 2> gridSize(const PlanInputs& in, Method method) {
    if (method == Method::ByCount || method == Method::OneWall) {
        const double n = in.count;
        const double columns = std::clamp(std::round(std::sqrt(n * in.length / in.width)), 1.0, n);
        return {columns, std::ceil(n / columns)};
    }
    const double step = stepFor(in, method);
    return {std::max(1.0, std::ceil((in.length - kTolerance) / step)),
            std::max(1.0, std::ceil((in.width - kTolerance) / step))};
}

std::vector<Speaker> ceilingGrid(const PlanInputs& in, int columns, int rows, int count) {
    std::vector<Speaker> out;
    out.reserve(static_cast<std::size_t>(count));
    const double cellY = in.width / rows;
    for (int row = 0; row < rows; ++row) {
        const int inRow = std::min(columns, count - row * columns);
        const double cellX = in.length / inRow;
        for (int column = 0; column < inRow; ++column)
            out.push_back({(column + 0.5) * cellX, (row + 0.5) * cellY, Wall::None});
    }
    return out;
}

std::vector<Speaker> wallRow(const PlanInputs& in, bool staggered) {
    std::vector<Speaker> out;
    out.reserve(static_cast<std::size_t>(in.count));
    const double cell = in.length / in.count;
    for (int k = 0; k < in.count; ++k) {
        const bool far = staggered && k % 2 == 1;
        out.push_back({(k + 0.5) * cell, far ? in.width : 0.0, far ? Wall::Far : Wall::Near});
    }
    return out;
}

// The smallest distance between neighbours of a sorted line, ignoring coincident ones.
std::optional<double> smallestGap(std::vector<double> line) {
    std::sort(line.begin(), line.end());
    std::optional<double> gap;
    for (std::size_t i = 1; i < line.size(); ++i) {
        const double d = line[i] - line[i - 1];
        if (d >= kTolerance && (!gap || d < *gap))
            gap = d;
    }
    return gap;
}

void stepsAndWalls(const PlanInputs& in, const std::vector<Speaker>& speakers, Figures& f) {
    if (speakers.empty())
        return;
    const Speaker& first = speakers.front();
    const bool ceiling = in.type == SpeakerType::Ceiling;
    std::vector<double> row;
    std::vector<double> column;
    double wallX = in.length;
    double wallY = in.width;
    for (const Speaker& s : speakers) {
        if (!std::isfinite(s.x) || !std::isfinite(s.y))
            continue; // levelMap refuses such a layout; the figures leave the place out
        // Wall loudspeakers stand in one line along the length, whichever wall they are on.
        if (!ceiling || std::abs(s.y - first.y) < kTolerance)
            row.push_back(s.x);
        if (ceiling && std::abs(s.x - first.x) < kTolerance)
            column.push_back(s.y);
        wallX = std::min({wallX, s.x, in.length - s.x});
        wallY = std::min({wallY, s.y, in.width - s.y});
    }
    f.stepX = smallestGap(std::move(row));
    f.wallX = std::max(0.0, wallX);
    if (ceiling) {
        f.stepY = smallestGap(std::move(column));
        f.wallY = std::max(0.0, wallY);
    }
}

void levels(const PlanInputs& in, const std::vector<Speaker>& speakers, Figures& f,
            std::vector<float>& map) {
    const Grid grid = figureGrid(in.length, in.width);
    map = levelMap(in, speakers, grid);
    if (map.empty())
        return;
    f.mapped = true;
    double covered = 0;
    double total = 0;
    std::size_t minIndex = 0;
    std::size_t maxIndex = 0;
    for (int row = 0; row < grid.rows; ++row) {
        const double rowWeight = row == 0 || row == grid.rows - 1 ? 0.5 : 1.0;
        for (int column = 0; column < grid.columns; ++column) {
            const std::size_t i =
                static_cast<std::size_t>(row) * static_cast<std::size_t>(grid.columns) +
                static_cast<std::size_t>(column);
            // Each point stands for its share of the floor: edges half, corners a quarter.
            const double weight =
                rowWeight * (column == 0 || column == grid.columns - 1 ? 0.5 : 1.0);
            total += weight;
            if (map[i] >= f.target)
                covered += weight;
            if (map[i] < map[minIndex])
                minIndex = i;
            if (map[i] > map[maxIndex])
                maxIndex = i;
        }
    }
    const auto at = [&](std::size_t i) {
        const auto columns = static_cast<std::size_t>(grid.columns);
        return Point{grid.x(static_cast<int>(i % columns)), grid.y(static_cast<int>(i / columns))};
    };
    f.minLevel = map[minIndex];
    f.maxLevel = map[maxIndex];
    f.minAt = at(minIndex);
    f.maxAt = at(maxIndex);
    f.shareAtTarget = covered / total;
    f.aboveNoiseOk = f.minLevel >= in.roomNoise + kAboveNoise;
    f.maxWithNoise =
        10 * std::log10(std::pow(10.0, (f.maxLevel - in.roomNoise) / 10) + 1) + in.roomNoise;
    f.maxOk = f.maxWithNoise <= kMaxTotalLevel;
}

std::string verdict(bool ok) {
    return std::string(verdictWord(ok ? Verdict::Met : Verdict::NotMet));
}

// The line of the minimum level, whose place is the worst point.
constexpr std::string_view kWorstPointCaption = "Минимальный уровень";
constexpr std::string_view kVerdictDash = " — ";
constexpr std::array kVerdicts{Verdict::Met, Verdict::NotMet, Verdict::NoSpeakers};

} // namespace

std::vector<Method> methodsFor(SpeakerType type) {
    if (type == SpeakerType::Ceiling)
        return {Method::ByCount, Method::EdgeToEdge, Method::MinimumOverlap, Method::EdgeToCentre};
    return {Method::ByCount, Method::OneWall};
}

std::string_view methodName(Method method) {
    switch (method) {
    case Method::ByCount:
        return "По расчету";
    case Method::EdgeToEdge:
        return "Край к краю";
    case Method::MinimumOverlap:
        return "Минимальное перекрытие";
    case Method::EdgeToCentre:
        return "Край к центру";
    case Method::OneWall:
        return "Одна стена";
    }
    return {};
}

std::optional<PlanInputs> planInputs(const CalculationRecord& record, SpeakerType type,
                                     std::string_view decimalSeparator) {
    const auto length = numberOf(record.RoomLength, decimalSeparator);
    const auto width = numberOf(record.RoomWidth, decimalSeparator);
    const auto mount = numberOf(record.MountHeight, decimalSeparator);
    const auto listen = numberOf(record.ListenHeight, decimalSeparator);
    const auto dirCoef = numberOf(record.DirCoef, decimalSeparator);
    const auto totalSpl = numberOf(record.TotalSpl, decimalSeparator);
    const auto effRange = numberOf(record.EffRange, decimalSeparator);
    const auto count = numberOf(record.SpeakerCount, decimalSeparator);
    const auto noise = numberOf(record.RoomNoise, decimalSeparator);
    const auto overlap = numberOf(record.OverlapLevel, decimalSeparator);
    const auto power = numberOf(record.SpeakerPower, decimalSeparator);
    const auto factor = numberOf(record.PowerFactor, decimalSeparator);
    for (const auto& value : {length, width, mount, listen, dirCoef, totalSpl, effRange, count,
                              noise, overlap, power, factor})
        if (!value || !std::isfinite(*value))
            return std::nullopt;

    PlanInputs in;
    in.type = type;
    in.length = *length;
    in.width = *width;
    in.mountHeight = *mount;
    in.listenHeight = *listen / 100;
    in.dirCoef = *dirCoef;
    in.totalSpl = *totalSpl;
    in.effRange = *effRange;
    in.roomNoise = *noise;
    in.overlap = *overlap;
    // The calculation takes its power level from this whole number of watts.
    in.speakerWatts = roundHalfEven(*factor * *power);

    const double maxAngle = type == SpeakerType::Ceiling ? kApproxPi : kApproxFullTurn;
    // The range may be 0: a wall loudspeaker whose range just reaches the listening plane
    // projects to 0 m, and the calculation accepts it.
    const bool sane =
        in.length > 0 && in.length <= kMaxRoomSide && in.width > 0 && in.width <= kMaxRoomSide &&
        in.listenHeight >= 0 && in.mountHeight > in.listenHeight &&
        in.mountHeight <= kMaxRoomSide && in.dirCoef > 0 && in.dirCoef < maxAngle &&
        in.effRange >= 0 && *count >= 1 && *count <= kMaxLaidOut && *count == std::floor(*count) &&
        std::abs(in.totalSpl) <= kMaxAbsLevel && std::abs(in.roomNoise) <= kMaxAbsLevel &&
        std::abs(in.overlap) <= kMaxAbsLevel && in.speakerWatts >= 1 &&
        in.speakerWatts <= kMaxLaidOut * kMaxLaidOut;
    if (!sane)
        return std::nullopt;
    in.count = static_cast<int>(*count);
    if (type == SpeakerType::Ceiling) {
        // The densest method must stay a layout that can be held in memory.
        const auto [columns, rows] = gridSize(in, Method::EdgeToCentre);
        if (!std::isfinite(coverageRadius(in)) || !(columns * rows <= kMaxLaidOut))
            return std::nullopt;
    }
    return in;
}

double coverageRadius(const PlanInputs& in) {
    return coverRadius(in.mountHeight - in.listenHeight, in.dirCoef / 2);
}

std::vector<Speaker> layOut(const PlanInputs& in, Method method) {
    // Inputs that did not come through planInputs get nothing rather than a runaway layout.
    if (in.count < 1 || in.count > kMaxLaidOut || !(in.length > 0) || !(in.width > 0))
        return {};
    if (in.type != SpeakerType::Ceiling)
        return wallRow(in, method != Method::OneWall);
    const auto [columns, rows] = gridSize(in, method);
    const bool byCount = method == Method::ByCount || method == Method::OneWall;
    const double count = byCount ? in.count : columns * rows;
    if (!(count <= kMaxLaidOut))
        return {};
    return ceilingGrid(in, static_cast<int>(columns), static_cast<int>(rows),
                       static_cast<int>(count));
}

double levelAt(const PlanInputs& in, const std::vector<Speaker>& speakers, double x, double y) {
    double energy = 0;
    for (const Speaker& s : speakers) {
        const Source src = sourceOf(in, s);
        const double dx = x - s.x;
        const double dy = y - s.y;
        const double r2 = dx * dx + dy * dy + src.drop * src.drop;
        const double r = std::sqrt(r2);
        const double cosine = std::clamp((src.axisY * dy + src.axisZ * src.drop) / r, -1.0, 1.0);
        const double level =
            in.totalSpl - 20 * std::log10(r) + directivity(std::acos(cosine), in.dirCoef / 2);
        energy += std::pow(10.0, (level - in.totalSpl) / 10);
    }
    return in.totalSpl + 10 * std::log10(energy);
}

double Grid::x(int column) const {
    return columns > 1 ? length * column / (columns - 1) : length / 2;
}

double Grid::y(int row) const {
    return rows > 1 ? width * row / (rows - 1) : width / 2;
}

Grid figureGrid(double length, double width) {
    const auto points = [](double side) {
        if (!(side > 0) || !std::isfinite(side))
            return 0;
        const double needed = std::ceil(side / kFigureSpacing - 1e-9) + 1;
        return static_cast<int>(std::clamp(needed, 2.0, double{kMaxFigurePoints}));
    };
    return {points(length), points(width), length, width};
}

Figures figures(const PlanInputs& in, const std::vector<Speaker>& speakers) {
    std::vector<float> map;
    return figures(in, speakers, map);
}

Figures figures(const PlanInputs& in, const std::vector<Speaker>& speakers,
                std::vector<float>& map) {
    map.clear();
    Figures f;
    f.count = speakers.size();
    f.calculatedCount = in.count;
    f.target = in.roomNoise + in.overlap;
    f.onAxisAt3m = in.totalSpl - 20 * std::log10(kOnAxisDistance);
    f.onAxisOk = f.onAxisAt3m >= kMinOnAxisLevel;
    f.standardHeight = std::abs(in.listenHeight - kStandardListen) < 1e-9;
    f.totalWatts = in.speakerWatts * static_cast<double>(speakers.size());
    f.amplifierWatts = f.totalWatts * kAmplifierReserve;
    stepsAndWalls(in, speakers, f);
    if (!speakers.empty() && speakers.size() <= kMaxDrawnSpeakers)
        levels(in, speakers, f, map);
    return f;
}

std::string fixedText(double value, int decimals, std::string_view separator) {
    if (!std::isfinite(value))
        return "—";
    const double scale = std::pow(10.0, decimals);
    double rounded = std::round(value * scale) / scale;
    if (rounded == 0)
        rounded = 0;
    std::array<char, 64> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), rounded,
                                      std::chars_format::fixed, decimals);
    std::string text(buffer.data(), result.ptr);
    if (const auto point = text.find('.'); point != std::string::npos)
        text.replace(point, 1, separator);
    return text;
}

std::vector<std::string> figureLines(const PlanInputs& in, const Figures& f,
                                     std::string_view decimalSeparator) {
    const auto number = [&](double v, int decimals) {
        return fixedText(v, decimals, decimalSeparator);
    };
    const auto db = [&](double v) { return number(v, 1) + " дБ"; };
    const auto m = [&](double v) { return number(v, 2) + " м"; };
    const auto watts = [&](double v) { return number(v, 1) + " Вт"; };
    const auto where = [&](Point p) { return " (x = " + m(p.x) + ", y = " + m(p.y) + ")"; };
    const std::string source = "СП 3.13130.2009";
    const std::string standardHeight = number(kStandardListen, 1) + " м";
    const std::string maxTotal = "не выше " + number(kMaxTotalLevel, 0) + " дБ";

    std::vector<std::string> lines;
    if (f.count > kMaxDrawnSpeakers)
        lines.push_back("Слишком много громкоговорителей для плана (" + std::to_string(f.count) +
                        ")");
    lines.push_back("Громкоговорителей: " + std::to_string(f.count) +
                    " (по расчету: " + std::to_string(f.calculatedCount) + ")");
    if (f.stepX)
        lines.push_back("Шаг по длине: " + m(*f.stepX));
    if (f.stepY)
        lines.push_back("Шаг по ширине: " + m(*f.stepY));
    if (f.wallX)
        lines.push_back("От крайних громкоговорителей до торцевых стен: " + m(*f.wallX));
    if (f.wallY)
        lines.push_back("От крайних громкоговорителей до продольных стен: " + m(*f.wallY));
    if (f.mapped) {
        lines.push_back("Минимальный уровень: " + db(f.minLevel) + where(f.minAt));
        lines.push_back("Максимальный уровень: " + db(f.maxLevel) + where(f.maxAt));
        lines.push_back("Разброс уровня: " + db(f.maxLevel - f.minLevel));
    }
    lines.push_back("Целевой уровень (шум " + db(in.roomNoise) + " + превышение " + db(in.overlap) +
                    "): " + db(f.target));
    if (f.mapped) {
        lines.push_back(
            "Доля площади с уровнем не ниже целевого: " + number(f.shareAtTarget * 100, 0) + " %");
        lines.push_back("Уровень не менее чем на " + number(kAboveNoise, 0) +
                        " дБ выше шума во всех точках на высоте " + standardHeight + " (" + source +
                        ", п. 4.2): минимум " + db(f.minLevel) + " при требуемых " +
                        db(in.roomNoise + kAboveNoise) + " — " + verdict(f.aboveNoiseOk));
        if (!f.standardHeight)
            lines.push_back("Эта проверка сделана на выбранной высоте прослушивания " +
                            m(in.listenHeight) + ", а не на " + standardHeight);
        lines.push_back("Уровень громкоговорителей вместе с шумом " + maxTotal + " (" + source +
                        ", п. 4.1): " + db(f.maxWithNoise) + " — " + verdict(f.maxOk));
    } else {
        lines.push_back("Уровни по площади не рассчитаны: проверки по п. 4.2 и по уровню " +
                        maxTotal + " (п. 4.1) " + source + " не выполнялись");
    }
    lines.push_back("Каждый громкоговоритель не менее " + number(kMinOnAxisLevel, 0) +
                    " дБ на оси в " + number(kOnAxisDistance, 0) + " м (" + source +
                    ", п. 4.1): " + db(f.onAxisAt3m) + " — " + verdict(f.onAxisOk));
    lines.push_back("Суммарная мощность громкоговорителей: " + std::to_string(f.count) + " × " +
                    watts(in.speakerWatts) + " = " + watts(f.totalWatts));
    lines.push_back("Усилитель не менее (сумма + " + number((kAmplifierReserve - 1) * 100, 0) +
                    " %): " + watts(f.amplifierWatts));
    return lines;
}

std::string_view verdictWord(Verdict verdict) {
    switch (verdict) {
    case Verdict::Met:
        return "выполнено";
    case Verdict::NotMet:
        return "не выполнено";
    case Verdict::NoSpeakers:
        return "нет громкоговорителей";
    case Verdict::None:
        break;
    }
    return {};
}

std::vector<FigureRow> figureRows(const PlanInputs& in, const Figures& f,
                                  std::string_view decimalSeparator) {
    std::vector<FigureRow> rows;
    for (const std::string& line : figureLines(in, f, decimalSeparator)) {
        FigureRow row;
        // The last ": " outside parentheses: "(по расчету: 5)" stays in its value.
        std::size_t colon = std::string::npos;
        int depth = 0;
        for (std::size_t i = 0; i + 1 < line.size(); ++i) {
            if (line[i] == '(')
                ++depth;
            else if (line[i] == ')')
                --depth;
            else if (depth == 0 && line[i] == ':' && line[i + 1] == ' ')
                colon = i;
        }
        if (colon == std::string::npos) {
            row.caption = line;
        } else {
            row.caption = line.substr(0, colon);
            row.value = line.substr(colon + 2);
        }
        for (const Verdict v : kVerdicts) {
            const std::string suffix = std::string(kVerdictDash) + std::string(verdictWord(v));
            if (row.value.ends_with(suffix)) {
                row.value.resize(row.value.size() - suffix.size());
                row.verdict = v;
                break;
            }
        }
        row.worstPoint = f.mapped && row.caption == kWorstPointCaption;
        rows.push_back(std::move(row));
    }
    return rows;
}

} // namespace pa::plan
