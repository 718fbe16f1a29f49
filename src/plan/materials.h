#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string_view>

// What the room's surfaces and air do to sound, octave by octave: the tables the reverberation
// and the speech transmission index are computed from.
namespace pa::plan {

// The octaves the room is computed in, 125 Hz to 8 kHz: the seven of speech intelligibility.
inline constexpr std::size_t kBands = 7;
using Bands = std::array<double, kBands>;
inline constexpr std::array<int, kBands> kBandHz{125, 250, 500, 1000, 2000, 4000, 8000};

// A finish with its absorption coefficient per octave; the name is what the engineer picks.
struct Material {
    std::string_view id;   // stable, for saved projects
    std::string_view name; // Russian, as listed
    Bands alpha{};
};

// The finishes offered, in the order listed.
std::span<const Material> materials();
// The finish with this id, or nullptr.
const Material* findMaterial(std::string_view id);

// Sound absorption of one adult listener, seated or standing, m² (metric Sabine) per octave, as
// Kuttruff's "Room Acoustics" and the handbooks after it list the equivalent absorption area per
// person; 8 kHz as 4 kHz. These are at the high end of what is published: Olson's table after the
// Bureau of Standards (audience with coats, converted from sabins) gives 0.21, 0.30, 0.45, 0.58,
// 0.71, 0.65 m², so a room full of people may reverberate a little longer than computed here.
inline constexpr Bands kPersonAbsorption{0.15, 0.25, 0.55, 0.80, 0.90, 0.90, 0.90};

// Air's intensity attenuation coefficient m per octave, 1/m, at 20 °C and 50 % relative
// humidity: what the 4mV term of the reverberation formulas takes.
Bands airAttenuation();

} // namespace pa::plan
