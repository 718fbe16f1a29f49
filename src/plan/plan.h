#pragma once

#include "core/record.h"
#include "core/speaker_type.h"
#include "plan/rules.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The room plan: where the loudspeakers go and what level each point of the listening plane
// gets. Standard C++ only; the window and the exports draw what this computes.
namespace pa::plan {

// Layout methods. Ceiling loudspeakers use the first four, wall and horn loudspeakers
// ByCount (staggered on both long walls) and OneWall.
enum class Method { ByCount, EdgeToEdge, MinimumOverlap, EdgeToCentre, OneWall };

// The methods offered for a type, the default first.
std::vector<Method> methodsFor(SpeakerType type);
// The method's caption in the method list ("По расчету", "Край к краю", ...).
std::string_view methodName(Method method);

// The wall a wall or horn loudspeaker hangs on; None for ceiling loudspeakers.
enum class Wall { None, Near /* y = 0, aimed toward +y */, Far /* y = W, aimed toward -y */ };

// One loudspeaker, in metres from the room's corner: x along the length, y along the width.
struct Speaker {
    double x = 0;
    double y = 0;
    Wall wall = Wall::None;

    friend bool operator==(const Speaker&, const Speaker&) = default;
};

// What the plan takes from the last successful calculation, as numbers.
struct PlanInputs {
    SpeakerType type = SpeakerType::Ceiling;
    double length = 0;       // m, along x
    double width = 0;        // m, along y
    double mountHeight = 0;  // m
    double listenHeight = 0; // m (the record keeps centimetres)
    double dirCoef = 0;      // full opening angle, rad
    double totalSpl = 0;     // dB at 1 m
    double effRange = 0;     // m; for wall and horn the projected range the calculation kept
    int count = 0;           // the calculated number of loudspeakers
    double roomNoise = 0;    // dB
    double overlap = 0;      // dB
    double speakerWatts = 0; // one loudspeaker's power as the calculation used it (W)

    friend bool operator==(const PlanInputs&, const PlanInputs&) = default;
};

// The plan inputs of a record that a calculation completed, read with the locale's decimal
// separator; nothing when the record is incomplete or holds values the plan cannot draw: not
// finite, not positive (the range may be 0), mounting not 1 mm above the listening plane, an
// opening angle under 1 degree or for the ceiling of a half turn or more, a count that is not
// whole, a power that rounds below 1 W, a side beyond 10 km, a level beyond 1000 dB, or a ceiling
// room whose densest layout would exceed a million loudspeakers. speakerWatts is the power rounded
// to whole watts, half to even, as the calculation took it for its power level.
std::optional<PlanInputs> planInputs(const CalculationRecord& record, SpeakerType type,
                                     std::string_view decimalSeparator);

// The same, with the reason for a refusal: one Russian sentence naming the input and the range
// the plan takes, numbers with the given separator. The reason is empty when there are inputs.
struct PlanCheck {
    std::optional<PlanInputs> inputs;
    std::string reason;
};
PlanCheck planInputsOrReason(const CalculationRecord& record, SpeakerType type,
                             std::string_view decimalSeparator);

// Radius of the circle one ceiling loudspeaker covers on the listening plane (the
// calculation's own geometry).
double coverageRadius(const PlanInputs& in);

// Half the opening angle in degrees, as the engineer typed the full angle: the calculation's
// radians were made with the approximate pi, so they are turned back with it. Every drawing of
// a wall or horn sector takes its angle from here.
double halfAngleDegrees(const PlanInputs& in);

// The positions of a method, numbered in the order returned: ceiling loudspeakers row by row
// from y = 0, wall loudspeakers along the length. A method not offered for the type (see
// methodsFor) lays out as ByCount. A count that does not fill the ceiling grid is spread over
// all its rows, the fuller rows first, no two rows differing by more than one loudspeaker.
// OneWall hangs every wall or horn loudspeaker on oneWall (Near unless Far is given).
std::vector<Speaker> layOut(const PlanInputs& in, Method method, Wall oneWall = Wall::Near);

// The loudspeaker moved to the nearest place inside the room; a wall or horn loudspeaker onto its
// wall.
Speaker inRoom(const PlanInputs& in, Speaker s);

// Layouts above this size are not drawn or mapped.
inline constexpr std::size_t kMaxDrawnSpeakers = 2000;

// Level in dB at a point (x, y) of the listening plane: direct sound of every loudspeaker,
// free field, summed as energies. The reference form, one point at a time.
double levelAt(const PlanInputs& in, const std::vector<Speaker>& speakers, double x, double y);

// A regular grid of points over the floor, edges and corners included.
struct Grid {
    int columns = 0; // points along x
    int rows = 0;    // points along y
    double length = 0;
    double width = 0;
    double x(int column) const;
    double y(int row) const;
};

// The fixed grid the figures use: points at most 0.05 m apart, or 400 along a side where
// that is coarser. It does not depend on any window.
Grid figureGrid(double length, double width);

// Levels of every grid point, row by row (index row * columns + column), computed fast on
// all cores; agrees with levelAt to 0.01 dB. Empty without loudspeakers, above
// kMaxDrawnSpeakers, for an empty grid or one over 8192 points a side, and for anything not
// finite or beyond drawing: a loudspeaker or grid side more than 1000 km from the corner, a drop
// under a nanometre, a level beyond 1000 dB, an opening angle too narrow for single precision.
std::vector<float> levelMap(const PlanInputs& in, const std::vector<Speaker>& speakers,
                            const Grid& grid);

struct Point {
    double x = 0;
    double y = 0;
};

// The smallest and the largest of some distances.
struct Span {
    double min = 0;
    double max = 0;

    friend bool operator==(const Span&, const Span&) = default;
};

// What the room tells the checks beyond the calculation.
struct RoomChecks {
    std::optional<double> height; // m, the room's; none where no room is set
    // A room for sleep checks the level over the noise at the sleeper's head instead.
    bool sleeping = false;
    double headHeight = kSleeperHead; // m
    // The reverberant level the shown map adds everywhere, dB; none for the direct sound.
    std::optional<double> reverberant;

    friend bool operator==(const RoomChecks&, const RoomChecks&) = default;
};

// What the plan tells the engineer about a layout.
struct Figures {
    std::size_t count = 0;
    int calculatedCount = 0;
    // Spacings between neighbours as the loudspeakers stand, hand moves included. Ceiling: in
    // the first loudspeaker's row (along x) and column (along y). Wall and horn: along each wall
    // between neighbours on that same wall, both walls together; they have no stepY. Unset
    // where there is no neighbour.
    std::optional<Span> stepX, stepY;
    // The nearest loudspeaker's distance from the end walls (x = 0, x = L) and, for ceiling
    // loudspeakers, from the long walls (y = 0, y = W). Unset without loudspeakers.
    std::optional<double> wallX, wallY;
    bool mapped = false;               // false above kMaxDrawnSpeakers or without speakers
    double minLevel = 0, maxLevel = 0; // dB on the figure grid; the first such point row by row
    Point minAt, maxAt;
    double target = 0;          // room noise + overlap level
    double shareAtTarget = 0;   // share of the floor area at or above target, 0..1
    bool aboveNoiseOk = false;  // min level >= noise + 15 dB
    double maxWithNoise = 0;    // max level and noise summed as energies
    bool maxOk = false;         // maxWithNoise <= 120 dB
    double onAxisAt3m = 0;      // one loudspeaker, 3 m on its axis
    bool onAxisOk = false;      // onAxisAt3m >= 75 dB
    bool standardHeight = true; // listening height is 1.5 m
    double totalWatts = 0;      // count x speakerWatts
    double amplifierWatts = 0;  // totalWatts + 20 %
    RoomChecks room;            // what the checks below took
    // With a reverberant level: onAxisAt3m, that level and the noise summed as energies; the
    // on-axis check then takes this.
    double onAxisWithRoom = 0;
    // A room for sleep: the least level at the sleeper's head (with the reverberant level where
    // given) and whether it is kAboveNoise over the noise and at least kSleepMinLevel.
    bool headMapped = false;
    double headMinLevel = 0;
    Point headMinAt;
    bool headOk = false;
    double topEdge = 0;     // wall and horn: the top edge above the floor, m
    bool topEdgeOk = false; // high enough and, where the room height is known, below the ceiling

    // No loudspeaker is left: every check fails, and the lines say why.
    bool noSpeakers() const { return count == 0; }
};

Figures figures(const PlanInputs& in, const std::vector<Speaker>& speakers,
                const RoomChecks& room = {});
// The same, handing back the level map on figureGrid that the figures come from (empty where
// there is none), so that a picture of it costs no second map.
Figures figures(const PlanInputs& in, const std::vector<Speaker>& speakers, std::vector<float>& map,
                const RoomChecks& room = {});
// The figures from a level map of figureGrid as levelMap hands it back (empty for none), for a
// map that is already there: one pass over it. A room for sleep takes the direct map at the head
// (atHead) from headMap where the caller keeps one, and computes it otherwise. figures()
// computes the map and comes here.
Figures figuresFromMap(const PlanInputs& in, const std::vector<Speaker>& speakers,
                       const std::vector<float>& map, const RoomChecks& room = {},
                       const std::vector<float>* headMap = nullptr);

// The inputs of the map at the sleeper's head.
PlanInputs atHead(const PlanInputs& in, const RoomChecks& room);

// A number with a fixed count of decimals and the given separator, as the plan's figures, sheet
// and exports write it: never "-0"; "—" for what is not finite.
std::string fixedText(double value, int decimals, std::string_view separator);

// A share of the floor (0..1) in per cent as the figures write it: cut, never rounded up, whole
// below 99 %, tenths from there, "100 %" only for all of it.
std::string shareText(double share, std::string_view separator);

// The figures as the lines the plan shows and the sheet prints (Russian, the locale's
// decimal separator): levels to 0.1 dB, lengths to 0.01 m, powers to 0.1 W. Shares are cut,
// never rounded up: whole per cent below 99, tenths from 99 on, 100 only when no grid point
// is below the target. Above kMaxDrawnSpeakers the first line says so and the level figures
// are left out; without loudspeakers every check says there are none.
std::vector<std::string> figureLines(const PlanInputs& in, const Figures& f,
                                     std::string_view decimalSeparator);

// How a figure line ends: a check met or not, a check left without loudspeakers, or no check.
enum class Verdict { None, Met, NotMet, NoSpeakers };

// The word a line ends its check with (" — выполнено"); empty for None.
std::string_view verdictWord(Verdict verdict);

// A figure line split for a table: the caption before its first ": " outside parentheses, the
// value after it with the verdict taken off its end. A line without ": " is all caption.
struct FigureRow {
    std::string caption;
    std::string value;
    Verdict verdict = Verdict::None;
    bool worstPoint = false; // the minimum level, whose place the picture marks with a cross
};

// The figure lines, as rows.
std::vector<FigureRow> figureRows(const PlanInputs& in, const Figures& f,
                                  std::string_view decimalSeparator);
// A row written out as its line again.
std::string rowText(const FigureRow& row);

} // namespace pa::plan
