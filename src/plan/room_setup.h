#pragma once

#include "plan/acoustics.h"
#include "plan/materials.h"
#include "plan/plan.h"
#include "plan/rules.h"

#include <optional>
#include <string>
#include <string_view>

// Everything the engineer sets of a room's acoustics, as one value a room keeps: what the plan's
// total and STI maps and its room checks are made from.
namespace pa::plan {

// The finishes a new room starts with: a common office.
inline constexpr std::string_view kStartFloor = "linoleum";
inline constexpr std::string_view kStartCeiling = "mineral-tile";
inline constexpr std::string_view kStartWalls = "plaster-masonry";

struct RoomSetup {
    // m; none follows the mounting height (ceiling loudspeakers sit in the ceiling).
    std::optional<double> height;
    // Finishes by their ids in materials(), so that a kept room reads the table as it is then.
    std::string floor{kStartFloor};
    std::string ceiling{kStartCeiling};
    std::string walls{kStartWalls};
    int people = 0;
    // Reverberation times per octave as measured, s: they replace the finishes and the people.
    std::optional<Bands> measured;
    // Noise per octave, dB; none spreads the room noise of the calculation as pink noise.
    std::optional<Bands> noise;
    bool sleeping = false;            // a room for sleep
    double headHeight = kSleeperHead; // m, the sleeper's head above the floor

    friend bool operator==(const RoomSetup&, const RoomSetup&) = default;
};

// The room's acoustics of a setup. A finish not in the table, a typed noise out of range and,
// in a room for sleep, a head not below the loudspeakers are refused here too, so that one
// message tells what keeps the last good room.
RoomAcoustics roomAcoustics(const PlanInputs& in, const RoomSetup& setup,
                            std::string_view decimalSeparator);

// The noise per octave the speech transmission index takes.
Bands noiseOf(const PlanInputs& in, const RoomSetup& setup);

// What the room checks take of a setup and its room: the room's height where it is good and was
// typed. The reverberant level is the shown map's to add.
RoomChecks roomChecks(const RoomSetup& setup, const RoomAcoustics* room);

} // namespace pa::plan
