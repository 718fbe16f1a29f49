#pragma once

#include "core/coverage.h"
#include "core/record.h"
#include "core/speaker_type.h"
#include "plan/plan.h"
#include "project/project.h"

#include <array>
#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// The figures of a project, all taken from the calculation and the plan as the main window and
// the plan window compute them for one room.
namespace pa::project {

// Specific resistance of the conductor, Ω·mm²/m, by Conductor.
inline constexpr std::array<double, 2> kResistivity{0.0175, 0.028};
// Cross-sections a cable is sold in, mm², smallest first.
inline constexpr std::array<double, 7> kStandardSections{0.5, 0.75, 1, 1.5, 2.5, 4, 6};
// Line loss above this is a warning, and a fault above kLossFailDb.
inline constexpr double kLossWarnDb = 0.5;
inline constexpr double kLossFailDb = 1.0;

struct RoomFigures {
    CalculationRecord record;
    // Why the room has no figures: the calculation's stop or the plan's refusal; empty when
    // it has them.
    std::string reason;
    std::optional<plan::PlanInputs> inputs;
    std::vector<plan::Speaker> speakers;
    plan::Figures figures;

    bool calculated() const { return inputs.has_value(); }
};

// The calculation and the plan of one room, as the windows would show them for its inputs.
// Without levels the level map is left out (figures.mapped is false): counts, powers and
// spacings only, at a thousandth of the cost.
RoomFigures roomFigures(const Room& room, std::string_view decimalSeparator = ".",
                        bool levels = true);

// The record a calculation leaves for the room's inputs, and what it shows.
CalculationRecord roomRecord(const Room& room, CoverageOutcome& outcome,
                             std::string_view decimalSeparator = ".");

enum class LossCheck { Ok, Warning, Failure, Unknown };

struct LineFigures {
    std::size_t rooms = 0;
    double totalWatts = 0;
    std::optional<double> impedance;  // Ω, U²/ΣP; none without power
    std::optional<double> resistance; // Ω, both conductors; none for a cross-section of 0
    std::optional<double> lossDb;     // 20 lg((Z + R) / Z), positive
    LossCheck check = LossCheck::Unknown;
    // The smallest standard cross-section that keeps the loss within kLossWarnDb; none when
    // even the largest does not, or without power.
    std::optional<double> smallestSection;
    double amplifierWatts = 0;      // ΣP (1 + margin)
    std::vector<std::string> notes; // Russian, one sentence each
};

// A line carrying totalWatts to the given number of rooms.
LineFigures lineFigures(const Line& line, double totalWatts, std::size_t rooms,
                        std::string_view decimalSeparator = ".");

// One row of the bill of materials. Models from the catalogue are counted by name; manual
// entries ("ПРОЧИЕ") by their power, sensitivity and type too.
struct BillRow {
    std::string model;
    double power = 0;       // W, as entered; 0 for a catalogue model
    double sensitivity = 0; // dB at 1 W and 1 m; 0 for a catalogue model
    std::size_t count = 0;
    SpeakerType type = SpeakerType::Ceiling; // of the first room that has it
    double watts = 0;                        // the rooms' power as used, after gradation

    friend bool operator==(const BillRow&, const BillRow&) = default;
};

struct ProjectFigures {
    std::vector<RoomFigures> rooms; // in the project's order
    std::vector<LineFigures> lines; // in the project's order
    std::vector<BillRow> bill;      // in the order models first appear
    double totalWatts = 0;
    std::vector<std::string> notes; // rooms without figures or without a line
    // With FigureOptions::keptOnly: the rooms whose level figures are still to be computed,
    // and the cost of their maps (loudspeakers times grid points, all rooms summed).
    std::vector<std::size_t> pending;
    double pendingWork = 0;
    bool stopped = false; // the progress callback stopped the computation; rooms are partial
};

// The figures of rooms as they were last computed, by everything that decides them (not by a
// room's name, floor or line): after an edit only the rooms whose inputs changed are computed
// again. Safe to share between the threads of one computation.
class FiguresCache {
public:
    std::optional<RoomFigures> find(const std::string& key) const;
    void keep(const std::string& key, const RoomFigures& figures);
    // Forgets every room not asked for since the last call.
    void forgetUnused();

private:
    struct Entry {
        RoomFigures figures;
        bool used = false;
    };
    mutable std::mutex mutex_;
    mutable std::unordered_map<std::string, Entry> rooms_;
};

struct FigureOptions {
    unsigned threads = 0; // rooms computed at once; 0: one per core
    bool levels = true;   // the level map's figures too (see roomFigures)
    FiguresCache* cache = nullptr;
    std::string_view decimalSeparator = ".";
    // Rooms whose level figures the cache does not hold get the quick ones and are listed in
    // ProjectFigures::pending: what a window shows at once while the rest is computed.
    bool keptOnly = false;
    // Called from any computing thread after each room; false stops the computation.
    std::function<bool(std::size_t done, std::size_t total)> progress{};
};

// Every figure of the project.
ProjectFigures projectFigures(const Project& project, const FigureOptions& options = {});

// The bill of materials of rooms already computed.
std::vector<BillRow> billOfMaterials(const Project& project, const std::vector<RoomFigures>& rooms);

} // namespace pa::project
