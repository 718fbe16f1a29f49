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

} // namespace pa::plan
