#pragma once

// The numbers the plan checks a layout against and the grid it measures on. The figures, their
// texts and the help all read them from here, so that what the help promises is what is checked.
namespace pa::plan {

inline constexpr double kAboveNoise = 15;      // dB over the room noise everywhere
inline constexpr double kMaxTotalLevel = 120;  // dB, loudspeakers and noise together
inline constexpr double kMinOnAxisLevel = 75;  // dB at kOnAxisDistance
inline constexpr double kOnAxisDistance = 3;   // m
inline constexpr double kStandardListen = 1.5; // m, the height the first check is defined at
inline constexpr double kAmplifierReserve =
    1.2;                                       // the amplifier's margin over the loudspeakers' sum
inline constexpr double kFigureSpacing = 0.05; // m
inline constexpr int kMaxFigurePoints = 400;

// A room for sleep: the level over the noise is checked at the sleeper's head, and never below
// kSleepMinLevel.
inline constexpr double kSleepMinLevel = 70; // dB
inline constexpr double kSleeperHead = 0.6;  // m, where nothing else is typed
// Wall and horn loudspeakers: their top edge at least kMinTopEdge above the floor and at least
// kMinCeilingGap below the ceiling. The mounting height the calculation takes is the
// loudspeaker's centre; its top edge is taken half a common 0.3 m cabinet or horn mouth higher.
inline constexpr double kMinTopEdge = 2.3;     // m
inline constexpr double kMinCeilingGap = 0.15; // m
inline constexpr double kHalfCabinet = 0.15;   // m
// Above this room noise the sound signals go with light signals.
inline constexpr double kLightsAbove = 95; // dB

} // namespace pa::plan
