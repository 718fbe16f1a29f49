#pragma once

#include "plan/acoustics.h"
#include "plan/plan.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The speech transmission index of every point of the plan by the indirect method of
// IEC 60268-16 ed. 4: the modulation transfer from the direct and the reverberant energy, the
// band's reverberation time and the noise, with the standard's auditory masking and reception
// threshold, for the male test speech.
namespace pa::plan {

inline constexpr std::size_t kModulations = 14;
// The modulation frequencies, 0.63 ... 12.5 Hz in third octaves.
inline constexpr std::array<double, kModulations> kModulationHz{
    0.63, 0.8, 1.0, 1.25, 1.6, 2.0, 2.5, 3.15, 4.0, 5.0, 6.3, 8.0, 10.0, 12.5};

// The limits a typed noise level per octave is taken in, dB.
inline constexpr double kMinNoiseLevel = -50;
inline constexpr double kMaxNoiseLevel = 140;

// Why a typed noise per octave is refused, or nothing.
std::string noiseError(const Bands& noise, std::string_view decimalSeparator);

// Pink noise (equal level in every octave) whose A-weighted level is levelA, dB per octave.
Bands pinkNoise(double levelA);

// What every point's index is computed from, per octave, as intensities relative to 0 dB.
struct Speech {
    std::string error;     // from the field, or a typed noise level out of range
    double onAxisAt1m = 0; // the level map's reference, dB
    Bands speechAt1m{};    // one loudspeaker on its axis at 1 m
    Bands reverberant{};   // the reverberant field, everywhere
    Bands noise{};
    Bands threshold{}; // the absolute reception threshold
    // 1 / (1 + j·2πF·T/13.8) for every octave and modulation frequency: the reverberant part's
    // modulation transfer.
    std::array<std::array<double, kModulations>, kBands> transferRe{};
    std::array<std::array<double, kModulations>, kBands> transferIm{};

    bool ok() const { return error.empty(); }
};

// The speech of a sound field against the noise per octave (dB; pinkNoise(roomNoise) where
// nothing is typed). Numbers in the message with the decimal separator given.
Speech speechOf(const SoundField& field, const Bands& noise, std::string_view decimalSeparator);

// The index at a point whose direct energy is directEnergy relative to one loudspeaker's
// on-axis energy at 1 m (the level map's reference): the reference form, in double precision.
double stiAt(const Speech& speech, double directEnergy);
// The same, for a point of the level map: its direct level in dB.
double stiAtLevel(const Speech& speech, double directLevel);

// The index of every point of a level map (as levelMap hands it back), agreeing with stiAtLevel
// to 0.001. At a point everything but the direct level is the room's, so the index is a function
// of that level alone: tabulated once over the map's range of levels and read off per point.
// Empty for an empty map, one with a level that is not finite, or speech with an error.
std::vector<float> stiMap(const Speech& speech, const std::vector<float>& directLevels);

// The qualification bands of IEC 60268-16 ed. 4 (annex F), best first: a band takes the index
// from its lower limit up to the next band's.
struct StiBand {
    std::string_view name;
    double from = 0;
};
inline constexpr std::array<StiBand, 12> kStiBands{{{"A+", 0.76},
                                                    {"A", 0.72},
                                                    {"B", 0.68},
                                                    {"C", 0.64},
                                                    {"D", 0.60},
                                                    {"E", 0.56},
                                                    {"F", 0.52},
                                                    {"G", 0.48},
                                                    {"H", 0.44},
                                                    {"I", 0.40},
                                                    {"J", 0.36},
                                                    {"U", 0.0}}};
std::string_view stiBand(double sti);

// The shares of the floor the plan reports, and IEC 60849's check of the common
// intelligibility scale: its mean less its standard deviation at least 0.70.
inline constexpr double kStiGood = 0.50;
inline constexpr double kStiFair = 0.45;
inline constexpr double kCisRequired = 0.70;

// The common intelligibility scale 1 + lg STI.
double cis(double sti);

struct StiFigures {
    bool mapped = false;
    double mean = 0; // over the floor
    double min = 0;  // the first such point row by row
    Point minAt;
    double shareGood = 0; // of the floor area at kStiGood or above, 0...1
    double shareFair = 0; // at kStiFair or above
    double cisMean = 0;
    double cisDeviation = 0;
    bool cisOk = false;
    double alconsAtMin = 0; // Peutz's %ALcons at the worst point
};

// The figures of an index map on its grid; directLevels is the level map it came from.
StiFigures stiFigures(const Grid& grid, const std::vector<float>& sti,
                      const std::vector<float>& directLevels, const SoundField& field);

// The figures as the rows the plan shows and the sheet prints, as figureRows gives the level's:
// the minimum's row marks the worst point.
std::vector<FigureRow> stiRows(const StiFigures& f, std::string_view decimalSeparator);

} // namespace pa::plan
