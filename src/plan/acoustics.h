#pragma once

#include "plan/materials.h"
#include "plan/plan.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The room around the plan: its reverberation, the reverberant level the loudspeakers build up in
// it and the total level at the listening plane. The direct sound stays the plan's level map;
// the room adds one level per octave, the same everywhere (a diffuse field).
namespace pa::plan {

// A-weighting at the octaves' mid frequencies, dB (IEC 61672-1).
inline constexpr Bands kAWeighting{-16.1, -8.6, -3.2, 0.0, 1.2, 1.0, -1.1};

// The male test speech of IEC 60268-16 ed. 4: octave levels relative to its A-weighted level.
// The loudspeakers play speech, so this is their spectrum in every octave figure here.
inline constexpr Bands kMaleSpeech{2.9, 2.9, -0.8, -6.8, -12.8, -18.8, -24.8};

// The furthest a room is taken: beyond these a hall is not one diffuse field any more.
inline constexpr double kMaxRoomHeight = 100;    // m
inline constexpr double kMaxRoomVolume = 1e7;    // m³
inline constexpr double kMinReverberation = 0.1; // s, a typed time
inline constexpr double kMaxReverberation = 30;  // s, a typed time

// Octave levels summed as energies after the A-weighting, dB.
double weightedSum(const Bands& levels);

// What the engineer tells of the room beyond its floor.
struct RoomInput {
    // Room height, m, at least the mounting height. A ceiling layout without one takes the
    // mounting height: the loudspeakers are in the ceiling.
    std::optional<double> height;
    // Absorption coefficients per octave, 0...1, of the floor, the ceiling and all four walls
    // (a row of materials() or typed).
    Bands floor{};
    Bands ceiling{};
    Bands walls{};
    int people = 0; // listeners present, kPersonAbsorption each
    // Reverberation times per octave as measured, s: they replace the finishes and the people.
    std::optional<Bands> measured;

    friend bool operator==(const RoomInput&, const RoomInput&) = default;
};

// The room's acoustics per octave, or the reason there are none: one Russian sentence naming
// the input and the range taken, numbers with the caller's decimal separator. Where error is
// set, no number below is meaningful (all zero).
struct RoomAcoustics {
    std::string error;
    double height = 0;    // m
    double volume = 0;    // m³
    double floorArea = 0; // m², the ceiling's too
    double wallArea = 0;  // m²
    double surface = 0;   // m², floor, ceiling and walls
    Bands absorption{}; // m² Sabine of the surfaces and the people (measured: what the times imply)
    Bands meanAlpha{};  // absorption / surface
    Bands airAbsorption{}; // 4mV, m²
    Bands sabine{};        // s, from the finishes (measured: the typed times)
    Bands eyring{};        // s, likewise
    Bands reverberation{}; // s, what the rest takes: Eyring's, or the typed times
    Bands roomConstant{};  // R = S·ᾱ/(1 − ᾱ), m²
    bool measured = false;

    bool ok() const { return error.empty(); }
};

RoomAcoustics roomAcoustics(const PlanInputs& in, const RoomInput& room,
                            std::string_view decimalSeparator);

// The directivity factor Q of the plan's directivity model for half the opening angle (rad):
// 4π over the model's gain integrated over the sphere. Zero for an angle not positive.
double directivityFactor(double halfAngle);

// What the layout's loudspeakers add up to in the room.
struct SoundField {
    std::string error; // as RoomAcoustics', when the room has one or the inputs are unfit
    std::size_t speakers = 0;
    double onAxisAt1m = 0; // dB(A), one loudspeaker on its axis at 1 m: the level map's reference
    double q = 0;          // directivity factor of one loudspeaker
    double powerLevel = 0; // L_W of one loudspeaker, dB(A)
    double totalPowerLevel = 0; // of them all
    Bands speechAt1m{};         // dB per octave, one loudspeaker on its axis at 1 m
    // Reverberant energy per octave relative to one loudspeaker's on-axis energy at 1 m in that
    // octave: the units of the level map's energies, so that direct and reverberant add up.
    Bands reverberantEnergy{};
    Bands reverberantLevel{};     // dB per octave
    double reverberantLevelA = 0; // dB(A)
    Bands criticalDistance{};     // m per octave, one loudspeaker: 0.141·√(Q·R)
    Bands reverberation{};        // s per octave, the room's
    double volume = 0;            // m³, the room's

    bool ok() const { return error.empty(); }
};

SoundField soundField(const PlanInputs& in, std::size_t speakers, const RoomAcoustics& room);

// The total level of every point of a level map (as levelMap hands it back): its direct sound
// and the reverberant level summed as energies. Empty for an empty map or a field with an error.
std::vector<float> totalLevelMap(const SoundField& field, const std::vector<float>& directLevels);

// Peutz's articulation loss of consonants, per cent, at a point of this direct level: the usual
// 200·r²·T²/(V·Q) with T at 2 kHz, r the distance at which one loudspeaker alone would give the
// point's direct-to-reverberant ratio (so that every loudspeaker's share counts), and 9·T beyond
// 3.16 critical distances.
double alcons(const SoundField& field, double directLevel);

} // namespace pa::plan
