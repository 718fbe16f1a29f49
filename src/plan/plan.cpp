#include "plan/plan.h"

#include "core/geometry.h"
#include "core/numbers.h"
#include "plan/level_model.h"
#include "plan/rules.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <initializer_list>
#include <limits>
#include <utility>

namespace pa::plan {

namespace {

// Rooms beyond this side length, or layouts beyond this many loudspeakers, are no room the
// plan can draw; they come only from mistyped inputs.
constexpr double kMaxRoomSide = 10000; // m
constexpr double kMaxLaidOut = 1e6;
// A loudspeaker within a millimetre of the listening plane is a mistyped height: directly below
// it the level would be 60 dB over the level at 1 m, and no loudspeaker is that small.
constexpr double kMinDrop = 0.001; // m
// The lists offer 10 degrees at the narrowest; an angle under 1 degree is a mistyped value, and
// far below it the directivity's scale leaves the map's single precision.
constexpr double kMinOpening = kApproxPi / 180; // rad

// Loudspeakers closer than this along a line count as one row or one column, and a step
// may exceed its limit by this much: the approximate pi makes the radius a little short.
constexpr double kTolerance = 0.001; // m

constexpr double kHalfTurnDegrees = 180;

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

// A count short of a full grid leaves no lone loudspeaker in a last row: the rows differ by one
// at most, so the spacing along the length stays nearly the same across the room.
std::vector<Speaker> ceilingGrid(const PlanInputs& in, int rows, int count) {
    std::vector<Speaker> out;
    out.reserve(static_cast<std::size_t>(count));
    const double cellY = in.width / rows;
    const int least = count / rows;
    const int fuller = count % rows;
    for (int row = 0; row < rows; ++row) {
        const int inRow = least + (row < fuller ? 1 : 0);
        const double cellX = in.length / inRow;
        for (int column = 0; column < inRow; ++column)
            out.push_back({std::min((column + 0.5) * cellX, in.length),
                           std::min((row + 0.5) * cellY, in.width), Wall::None});
    }
    return out;
}

// Staggered starts on the near wall; otherwise every loudspeaker hangs on the given wall.
std::vector<Speaker> wallRow(const PlanInputs& in, bool staggered, Wall oneWall) {
    std::vector<Speaker> out;
    out.reserve(static_cast<std::size_t>(in.count));
    const double cell = in.length / in.count;
    // A subnormal length loses the cell's digits, and the last place could land past the wall.
    for (int k = 0; k < in.count; ++k) {
        const bool far = staggered ? k % 2 == 1 : oneWall == Wall::Far;
        out.push_back({std::min((k + 0.5) * cell, in.length), far ? in.width : 0.0,
                       far ? Wall::Far : Wall::Near});
    }
    return out;
}

// The smallest and largest distance between neighbours of a line, ignoring coincident ones.
std::optional<Span> gaps(std::vector<double> line) {
    std::sort(line.begin(), line.end());
    std::optional<Span> span;
    for (std::size_t i = 1; i < line.size(); ++i) {
        const double d = line[i] - line[i - 1];
        if (d < kTolerance)
            continue;
        span = span ? Span{std::min(span->min, d), std::max(span->max, d)} : Span{d, d};
    }
    return span;
}

std::optional<Span> joined(std::optional<Span> a, std::optional<Span> b) {
    if (!a || !b)
        return a ? a : b;
    return Span{std::min(a->min, b->min), std::max(a->max, b->max)};
}

void stepsAndWalls(const PlanInputs& in, const std::vector<Speaker>& speakers, Figures& f) {
    if (speakers.empty())
        return;
    const Speaker& first = speakers.front();
    const bool ceiling = in.type == SpeakerType::Ceiling;
    std::vector<double> row;
    std::vector<double> column;
    // Staggered wall loudspeakers cover each their own side: the spacing that matters is the
    // one along the same wall.
    std::vector<double> farWall;
    double wallX = in.length;
    double wallY = in.width;
    for (const Speaker& s : speakers) {
        if (!std::isfinite(s.x) || !std::isfinite(s.y))
            continue; // levelMap refuses such a layout; the figures leave the place out
        if (!ceiling)
            (s.wall == Wall::Far ? farWall : row).push_back(s.x);
        else if (std::abs(s.y - first.y) < kTolerance)
            row.push_back(s.x);
        if (ceiling && std::abs(s.x - first.x) < kTolerance)
            column.push_back(s.y);
        wallX = std::min({wallX, s.x, in.length - s.x});
        wallY = std::min({wallY, s.y, in.width - s.y});
    }
    f.stepX = joined(gaps(std::move(row)), gaps(std::move(farWall)));
    f.wallX = std::max(0.0, wallX);
    if (ceiling) {
        f.stepY = gaps(std::move(column));
        f.wallY = std::max(0.0, wallY);
    }
}

double energySum(std::initializer_list<double> levels) {
    double energy = 0;
    for (const double level : levels)
        energy += std::pow(10.0, level / 10);
    return 10 * std::log10(energy);
}

void levels(const PlanInputs& in, const std::vector<float>& map, Figures& f) {
    const Grid grid = figureGrid(in.length, in.width);
    if (map.empty() ||
        map.size() != static_cast<std::size_t>(grid.columns) * static_cast<std::size_t>(grid.rows))
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
    f.maxWithNoise = energySum({f.maxLevel, in.roomNoise});
    f.maxOk = f.maxWithNoise <= kMaxTotalLevel;
}

// A room for sleep: the least level of a second map, at the sleeper's head. The reverberant level
// is the same everywhere, so the least total level is at the least direct one.
void headLevels(const PlanInputs& in, const std::vector<Speaker>& speakers,
                const std::vector<float>* kept, Figures& f) {
    const Grid grid = figureGrid(in.length, in.width);
    std::vector<float> computed;
    if (!kept)
        computed = levelMap(atHead(in, f.room), speakers, grid);
    const std::vector<float>& map = kept ? *kept : computed;
    if (map.size() !=
            static_cast<std::size_t>(grid.columns) * static_cast<std::size_t>(grid.rows) ||
        map.empty())
        return;
    const auto least =
        static_cast<std::size_t>(std::min_element(map.begin(), map.end()) - map.begin());
    const auto columns = static_cast<std::size_t>(grid.columns);
    f.headMapped = true;
    f.headMinAt = {grid.x(static_cast<int>(least % columns)),
                   grid.y(static_cast<int>(least / columns))};
    f.headMinLevel = f.room.reverberant ? energySum({map[least], *f.room.reverberant}) : map[least];
    f.headOk = f.headMinLevel >= std::max(in.roomNoise + kAboveNoise, kSleepMinLevel);
}

std::string verdict(bool ok, const Figures& f) {
    if (f.noSpeakers())
        return std::string(verdictWord(Verdict::NoSpeakers));
    return std::string(verdictWord(ok ? Verdict::Met : Verdict::NotMet));
}

// Whole digits in groups of three from five digits on ("10 000", but "1000"), as Russian
// texts write amounts; the rest as numberText writes it.
std::string groupedText(double value, std::string_view separator) {
    std::string text = numberText(value, separator);
    const std::size_t begin = text.starts_with('-') ? 1 : 0;
    const std::size_t end = std::min(text.size(), text.find(separator, begin));
    if (end - begin < 5)
        return text;
    for (std::size_t at = end; at > begin + 3; at -= 3)
        text.insert(at - 3, " ");
    return text;
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

namespace {

// The record's fields the plan reads, by the names the window gives them; the mounting height's
// name depends on the type.
struct PlanField {
    RecordValue CalculationRecord::*field;
    std::string_view name;
};
constexpr std::array<PlanField, 12> kPlanFields{{
    {&CalculationRecord::RoomLength, "Длина помещения"},
    {&CalculationRecord::RoomWidth, "Ширина помещения"},
    {&CalculationRecord::MountHeight, ""},
    {&CalculationRecord::ListenHeight, "Высота точки прослушивания"},
    {&CalculationRecord::DirCoef, "Диаграмма направленности"},
    {&CalculationRecord::TotalSpl, "Общее звуковое давление"},
    {&CalculationRecord::EffRange, "Эффективная дальность"},
    {&CalculationRecord::SpeakerCount, "Количество громкоговорителей"},
    {&CalculationRecord::RoomNoise, "Уровень шума помещения"},
    {&CalculationRecord::OverlapLevel, "Уровень перекрытия шума"},
    {&CalculationRecord::SpeakerPower, "Мощность громкоговорителя"},
    {&CalculationRecord::PowerFactor, "Градация мощности"},
}};

// Amounts beyond this are written as a bound: their digits would say nothing more.
constexpr double kLargestWritten = 1e12;

// The name of one of kPlanFields as the window shows it for the type.
std::string fieldName(RecordValue CalculationRecord::*field, SpeakerType type) {
    const auto* f = std::find_if(kPlanFields.begin(), kPlanFields.end(),
                                 [&](const PlanField& p) { return p.field == field; });
    return std::string(f == kPlanFields.end() || f->name.empty() ? typeDefaults(type).heightCaption
                                                                 : f->name);
}

PlanCheck refused(std::string reason) {
    return {std::nullopt, std::move(reason)};
}

} // namespace

PlanCheck planInputsOrReason(const CalculationRecord& record, SpeakerType type,
                             std::string_view decimalSeparator) {
    using R = CalculationRecord;
    const auto name = [&](RecordValue R::*field) { return fieldName(field, type); };
    for (const PlanField& f : kPlanFields) {
        const auto value = numberOf(record.*f.field, decimalSeparator);
        if (!value || !std::isfinite(*value))
            return refused("Расчет не закончен: нет значения «" + name(f.field) + "»");
    }
    const auto read = [&](RecordValue CalculationRecord::*field) {
        return numberOf(record.*field, decimalSeparator).value_or(0);
    };
    // Hundredths are enough to see what is wrong with an amount; smaller ones are kept whole.
    const auto amount = [&](double v) {
        if (std::abs(v) >= 1 && std::abs(v) <= kLargestWritten)
            return groupedText(std::round(v * 100) / 100, decimalSeparator);
        if (std::abs(v) <= kLargestWritten)
            return groupedText(v, decimalSeparator);
        return (v > 0 ? "больше " : "меньше ") +
               groupedText(std::copysign(kLargestWritten, v), decimalSeparator);
    };
    const auto outside = [&](const std::string& what, double v, std::string_view unit,
                             const std::string& range) {
        return refused(what + " " + amount(v) + std::string(unit) + " вне пределов плана (" +
                       range + ")");
    };
    const std::string side = "больше 0 и до " + amount(kMaxRoomSide) + " м";

    PlanInputs in;
    in.type = type;
    in.length = read(&CalculationRecord::RoomLength);
    in.width = read(&CalculationRecord::RoomWidth);
    in.mountHeight = read(&CalculationRecord::MountHeight);
    const double listenCm = read(&CalculationRecord::ListenHeight);
    in.listenHeight = listenCm / 100;
    in.dirCoef = read(&CalculationRecord::DirCoef);
    in.totalSpl = read(&CalculationRecord::TotalSpl);
    in.effRange = read(&CalculationRecord::EffRange);
    const double count = read(&CalculationRecord::SpeakerCount);
    in.roomNoise = read(&CalculationRecord::RoomNoise);
    in.overlap = read(&CalculationRecord::OverlapLevel);
    const double watts =
        read(&CalculationRecord::PowerFactor) * read(&CalculationRecord::SpeakerPower);
    // The calculation takes its power level from this whole number of watts.
    in.speakerWatts = roundHalfEven(watts);

    if (!(in.length > 0 && in.length <= kMaxRoomSide))
        return outside(name(&R::RoomLength), in.length, " м", side);
    if (!(in.width > 0 && in.width <= kMaxRoomSide))
        return outside(name(&R::RoomWidth), in.width, " м", side);
    if (in.listenHeight < 0)
        return outside(name(&R::ListenHeight), listenCm, " см", "от 0 см");
    if (in.mountHeight > kMaxRoomSide)
        return outside(name(&R::MountHeight), in.mountHeight, " м",
                       "до " + amount(kMaxRoomSide) + " м");
    if (!(in.mountHeight > in.listenHeight))
        // Unrounded: the two may differ in the last digits only.
        return refused(name(&R::MountHeight) + " " + groupedText(in.mountHeight, decimalSeparator) +
                       " м не выше точки прослушивания (" +
                       groupedText(in.listenHeight, decimalSeparator) +
                       " м): план строится только для громкоговорителей над ней");
    if (in.mountHeight - in.listenHeight < kMinDrop)
        return refused(name(&R::MountHeight) + " меньше чем на " +
                       groupedText(kMinDrop * 1000, decimalSeparator) +
                       " мм выше точки прослушивания: так близко громкоговоритель не слушают");
    const bool ceiling = type == SpeakerType::Ceiling;
    const double maxAngle = ceiling ? kApproxPi : kApproxFullTurn;
    if (!(in.dirCoef >= kMinOpening && in.dirCoef < maxAngle))
        return outside(name(&R::DirCoef), halfAngleDegrees(in) * 2, " град",
                       "от 1 и меньше " + amount(maxAngle / kApproxPi * kHalfTurnDegrees) +
                           " град для " + (ceiling ? "потолочного" : "настенного и рупорного") +
                           " громкоговорителя");
    // The range may be 0: a wall loudspeaker whose range just reaches the listening plane
    // projects to 0 m, and the calculation accepts it.
    if (in.effRange < 0)
        return outside(name(&R::EffRange), in.effRange, " м", "от 0 м");
    if (count != std::floor(count))
        return refused(name(&R::SpeakerCount) + " " + groupedText(count, decimalSeparator) +
                       " — не целое число");
    if (!(count >= 1 && count <= kMaxLaidOut))
        return outside(name(&R::SpeakerCount), count, "", "от 1 до " + amount(kMaxLaidOut));
    const std::string levels =
        "от " + amount(-kMaxAbsLevel) + " до " + amount(kMaxAbsLevel) + " дБ";
    for (const auto& [level, field] :
         {std::pair{in.totalSpl, &R::TotalSpl}, std::pair{in.roomNoise, &R::RoomNoise},
          std::pair{in.overlap, &R::OverlapLevel}})
        if (std::abs(level) > kMaxAbsLevel)
            return outside(name(field), level, " дБ", levels);
    if (!(in.speakerWatts >= 1 && in.speakerWatts <= kMaxLaidOut * kMaxLaidOut))
        return outside(name(&R::SpeakerPower) + " с учетом градации", watts, " Вт",
                       "в целых ваттах от 1 до " + amount(kMaxLaidOut * kMaxLaidOut) + " Вт");
    in.count = static_cast<int>(count);
    if (ceiling) {
        if (!std::isfinite(coverageRadius(in)))
            return refused("Зона покрытия громкоговорителя не вычисляется при этих высотах и "
                           "диаграмме направленности");
        // The densest method must stay a layout that can be held in memory.
        const auto [columns, rows] = gridSize(in, Method::EdgeToCentre);
        if (!(columns * rows <= kMaxLaidOut))
            return refused("Помещение слишком велико для плана: при размещении «" +
                           std::string(methodName(Method::EdgeToCentre)) +
                           "» понадобилось бы больше " + amount(kMaxLaidOut) +
                           " громкоговорителей");
    }
    return {in, {}};
}

std::optional<PlanInputs> planInputs(const CalculationRecord& record, SpeakerType type,
                                     std::string_view decimalSeparator) {
    return planInputsOrReason(record, type, decimalSeparator).inputs;
}

double coverageRadius(const PlanInputs& in) {
    return coverRadius(in.mountHeight - in.listenHeight, in.dirCoef / 2);
}

double halfAngleDegrees(const PlanInputs& in) {
    return in.dirCoef / 2 * kHalfTurnDegrees / kApproxPi;
}

std::vector<Speaker> layOut(const PlanInputs& in, Method method, Wall oneWall) {
    // Inputs that did not come through planInputs get nothing rather than a runaway layout.
    if (in.count < 1 || in.count > kMaxLaidOut || !(in.length > 0) || !(in.width > 0))
        return {};
    if (in.type != SpeakerType::Ceiling)
        return wallRow(in, method != Method::OneWall, oneWall);
    const auto [columns, rows] = gridSize(in, method);
    const bool byCount = method == Method::ByCount || method == Method::OneWall;
    const double count = byCount ? in.count : columns * rows;
    if (!(count <= kMaxLaidOut))
        return {};
    return ceilingGrid(in, static_cast<int>(rows), static_cast<int>(count));
}

Speaker inRoom(const PlanInputs& in, Speaker s) {
    s.x = std::clamp(s.x, 0.0, in.length);
    switch (s.wall) {
    case Wall::None:
        s.y = std::clamp(s.y, 0.0, in.width);
        break;
    case Wall::Near:
        s.y = 0;
        break;
    case Wall::Far:
        s.y = in.width;
        break;
    }
    return s;
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

namespace {

// The point of a side divided into points - 1 equal parts: the ends are the walls exactly, and
// rounding never carries a point past them (1.3 * 26 / 26 is one step above 1.3).
double gridPoint(double side, int index, int points) {
    if (points <= 1)
        return side / 2;
    if (index >= points - 1)
        return side;
    return std::min(side, side * index / (points - 1));
}

} // namespace

double Grid::x(int column) const {
    return gridPoint(length, column, columns);
}

double Grid::y(int row) const {
    return gridPoint(width, row, rows);
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

Figures figures(const PlanInputs& in, const std::vector<Speaker>& speakers,
                const RoomChecks& room) {
    std::vector<float> map;
    return figures(in, speakers, map, room);
}

Figures figures(const PlanInputs& in, const std::vector<Speaker>& speakers, std::vector<float>& map,
                const RoomChecks& room) {
    map.clear();
    if (!speakers.empty() && speakers.size() <= kMaxDrawnSpeakers)
        map = levelMap(in, speakers, figureGrid(in.length, in.width));
    return figuresFromMap(in, speakers, map, room);
}

Figures figuresFromMap(const PlanInputs& in, const std::vector<Speaker>& speakers,
                       const std::vector<float>& map, const RoomChecks& room,
                       const std::vector<float>* headMap) {
    Figures f;
    f.count = speakers.size();
    f.calculatedCount = in.count;
    f.room = room;
    f.target = in.roomNoise + in.overlap;
    f.onAxisAt3m = in.totalSpl - 20 * std::log10(kOnAxisDistance);
    f.onAxisWithRoom = room.reverberant ? energySum({f.onAxisAt3m, *room.reverberant, in.roomNoise})
                                        : f.onAxisAt3m;
    f.onAxisOk = !speakers.empty() && f.onAxisWithRoom >= kMinOnAxisLevel;
    // Typed heights that meet a limit exactly must not fail it by a last binary digit.
    constexpr double kHair = 1e-9; // m
    f.topEdge = in.mountHeight + kHalfCabinet;
    f.topEdgeOk = f.topEdge >= kMinTopEdge - kHair &&
                  (!room.height || *room.height - f.topEdge >= kMinCeilingGap - kHair);
    f.standardHeight = std::abs(in.listenHeight - kStandardListen) < 1e-9;
    f.totalWatts = in.speakerWatts * static_cast<double>(speakers.size());
    f.amplifierWatts = f.totalWatts * kAmplifierReserve;
    stepsAndWalls(in, speakers, f);
    if (!speakers.empty() && speakers.size() <= kMaxDrawnSpeakers)
        levels(in, map, f);
    if (f.mapped && room.sleeping)
        headLevels(in, speakers, headMap, f);
    return f;
}

PlanInputs atHead(const PlanInputs& in, const RoomChecks& room) {
    PlanInputs head = in;
    head.listenHeight = room.headHeight;
    return head;
}

std::string fixedText(double value, int decimals, std::string_view separator) {
    if (!std::isfinite(value))
        return "—";
    decimals = std::max(decimals, 0);
    const double scale = std::pow(10.0, decimals);
    double rounded = std::round(value * scale) / scale;
    if (!std::isfinite(rounded))
        rounded = value; // scaling overflowed: a number that large has no fraction to round
    if (rounded == 0)
        rounded = 0;
    // Room for the largest double written out in full, so the text is never cut.
    std::string text(
        std::numeric_limits<double>::max_exponent10 + 3 + static_cast<std::size_t>(decimals), '\0');
    const auto result = std::to_chars(text.data(), text.data() + text.size(), rounded,
                                      std::chars_format::fixed, decimals);
    text.resize(static_cast<std::size_t>(result.ptr - text.data()));
    if (const auto point = text.find('.'); point != std::string::npos)
        text.replace(point, 1, separator);
    return text;
}

// A share as the engineer may rely on it: cut, never rounded up, so that a floor with a point
// below the target never reads 100 %. The weights are quarters, so the share is exactly 1 only
// when every point reaches the target.
std::string shareText(double share, std::string_view separator) {
    constexpr double kTenthsFrom = 99; // per cent
    // A share that is a whole number of per cent may be a hair below it in binary.
    constexpr double kBinaryHair = 1e-9;
    if (share >= 1)
        return "100 %";
    const double percent = share * 100 + kBinaryHair;
    if (percent < kTenthsFrom)
        return fixedText(std::max(0.0, std::floor(percent)), 0, separator) + " %";
    constexpr double kBelowWhole = 99.9;
    return fixedText(std::min(kBelowWhole, std::floor(percent * 10) / 10), 1, separator) + " %";
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
    // A range only where the spacings differ as written.
    const auto span = [&](Span s) {
        const std::string least = number(s.min, 2);
        const std::string most = number(s.max, 2);
        return least == most ? least + " м" : "от " + least + " до " + most + " м";
    };
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
        lines.push_back("Шаг по длине: " + span(*f.stepX));
    if (f.stepY)
        lines.push_back("Шаг по ширине: " + span(*f.stepY));
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
    const auto item = [&](std::string_view point) {
        return " (" + source + ", п. " + std::string(point) + "): ";
    };
    const std::string notApplied = "не применяется: ";
    const bool sleeping = f.room.sleeping;
    const bool withRoom = f.room.reverberant.has_value();
    const std::string aboveNoise = "Уровень не менее чем на " + number(kAboveNoise, 0) +
                                   " дБ выше шума во всех точках на высоте " + standardHeight +
                                   item("4.2");
    const double headRequired = std::max(in.roomNoise + kAboveNoise, kSleepMinLevel);
    const std::string atHead = "Уровень не менее чем на " + number(kAboveNoise, 0) +
                               " дБ выше шума и не ниже " + number(kSleepMinLevel, 0) +
                               " дБ во всех точках на высоте головы спящего " +
                               m(f.room.headHeight) + item("4.3");
    const std::string withNoise = (withRoom ? "Полный уровень с реверберацией вместе с шумом "
                                            : "Уровень громкоговорителей вместе с шумом ") +
                                  maxTotal + " (" + source + ", п. 4.1)";
    if (sleeping)
        lines.push_back(aboveNoise + notApplied +
                        "в помещении для сна уровень над шумом проверяется по п. 4.3");
    if (f.mapped) {
        lines.push_back("Доля площади с уровнем не ниже целевого: " +
                        shareText(f.shareAtTarget, decimalSeparator));
        if (!sleeping) {
            lines.push_back(aboveNoise + "минимум " + db(f.minLevel) + " при требуемых " +
                            db(in.roomNoise + kAboveNoise) + " — " + verdict(f.aboveNoiseOk, f));
            if (!f.standardHeight)
                lines.push_back("Эта проверка сделана на выбранной высоте прослушивания " +
                                m(in.listenHeight) + ", а не на " + standardHeight);
        } else if (f.headMapped) {
            lines.push_back(atHead + "минимум " + db(f.headMinLevel) + where(f.headMinAt) +
                            " при требуемых " + db(headRequired) + " — " + verdict(f.headOk, f));
        } else {
            lines.push_back(atHead + "уровни на этой высоте не рассчитаны — " + verdict(false, f));
        }
        lines.push_back(withNoise + ": " + db(f.maxWithNoise) + " — " + verdict(f.maxOk, f));
    } else if (f.noSpeakers()) {
        lines.push_back((sleeping ? atHead + "требуется " + db(headRequired)
                                  : aboveNoise + "требуется " + db(in.roomNoise + kAboveNoise)) +
                        " — " + verdict(false, f));
        lines.push_back(withNoise + " — " + verdict(f.maxOk, f));
    } else {
        lines.push_back("Уровни по площади не рассчитаны: проверки по п. " +
                        std::string(sleeping ? "4.3" : "4.2") + " и по уровню " + maxTotal +
                        " (п. 4.1) " + source + " не выполнялись");
    }
    if (!sleeping)
        lines.push_back("Уровень на высоте головы спящего" + item("4.3") + notApplied +
                        "помещение не отмечено как помещение для сна");
    lines.push_back("Каждый громкоговоритель" +
                    std::string(withRoom ? " вместе с реверберацией и шумом" : "") + " не менее " +
                    number(kMinOnAxisLevel, 0) + " дБ на оси в " + number(kOnAxisDistance, 0) +
                    " м" + item("4.1") + db(f.onAxisWithRoom) + " — " + verdict(f.onAxisOk, f));
    const std::string mounting = "Верх громкоговорителя не ниже " + m(kMinTopEdge) +
                                 " от пола и не ближе " + m(kMinCeilingGap) + " к потолку" +
                                 item("4.4");
    if (in.type == SpeakerType::Ceiling) {
        lines.push_back(mounting + notApplied + "громкоговорители потолочные");
    } else {
        // The calculation's mounting height is the loudspeaker's centre.
        const std::string ceilingGap = f.room.height
                                           ? "до потолка " + m(*f.room.height - f.topEdge)
                                           : "высота помещения не задана, до потолка не проверено";
        lines.push_back(mounting + "верх " + m(f.topEdge) + " (подвес + " + m(kHalfCabinet) +
                        "), " + ceilingGap + " — " + verdict(f.topEdgeOk, f));
    }
    const std::string lights = "Световые оповещатели вместе со звуковыми при шуме выше " +
                               number(kLightsAbove, 0) + " дБ" + item("4.5");
    if (in.roomNoise > kLightsAbove)
        lines.push_back(lights + "нужны: шум " + db(in.roomNoise) +
                        ", звуковые сигналы дополняются световыми (допускаются мигающие)");
    else
        lines.push_back(lights + notApplied + "шум " + db(in.roomNoise));
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
        // The first ": " outside parentheses: "(по расчету: 5)" stays in its value, and so
        // does the reason after "не применяется: ".
        std::size_t colon = std::string::npos;
        int depth = 0;
        for (std::size_t i = 0; i + 1 < line.size() && colon == std::string::npos; ++i) {
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
        // A check without a value ("... (п. 4.1) — нет громкоговорителей") ends its caption.
        std::string& judged = row.value.empty() ? row.caption : row.value;
        for (const Verdict v : kVerdicts) {
            const std::string suffix = std::string(kVerdictDash) + std::string(verdictWord(v));
            if (judged.ends_with(suffix)) {
                judged.resize(judged.size() - suffix.size());
                row.verdict = v;
                break;
            }
        }
        row.worstPoint = f.mapped && row.caption == kWorstPointCaption;
        rows.push_back(std::move(row));
    }
    return rows;
}

std::string rowText(const FigureRow& row) {
    std::string text = row.caption;
    if (!row.value.empty())
        text += ": " + row.value;
    if (row.verdict != Verdict::None)
        text += std::string(kVerdictDash) + std::string(verdictWord(row.verdict));
    return text;
}

} // namespace pa::plan
