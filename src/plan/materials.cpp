#include "plan/materials.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace pa::plan {

namespace {

// Absorption coefficients 125 Hz ... 8 kHz. The tables these come from stop at 4 kHz; their
// 4 kHz value stands for 8 kHz, where finishes of this kind change little.
constexpr Bands widen(double a125, double a250, double a500, double a1k, double a2k, double a4k) {
    return {a125, a250, a500, a1k, a2k, a4k, a4k};
}

// Values as the general building-materials table of Everest's "Master Handbook of Acoustics"
// gives them (reproduced in most acoustics handbooks, e.g. Ballou's "Handbook for Sound
// Engineers"), unless the row says otherwise.
constexpr std::array kMaterials{
    Material{"concrete", "Бетон, затёртый или окрашенный",
             widen(0.01, 0.01, 0.015, 0.02, 0.02, 0.02)},
    Material{"concrete-rough", "Бетон монолитный, шероховатый, без окраски",
             widen(0.01, 0.02, 0.04, 0.06, 0.08, 0.10)},
    Material{"brick", "Кирпич без штукатурки", widen(0.03, 0.03, 0.03, 0.04, 0.05, 0.07)},
    Material{"block-painted", "Бетонные блоки, окрашенные",
             widen(0.10, 0.05, 0.06, 0.07, 0.09, 0.08)},
    Material{"plaster-masonry", "Штукатурка по кирпичу или бетону, гладкая",
             widen(0.013, 0.015, 0.02, 0.03, 0.04, 0.05)},
    Material{"plaster-lath", "Штукатурка по обрешётке", widen(0.14, 0.10, 0.06, 0.05, 0.04, 0.03)},
    // Everest: 1/2 in gypsum board nailed to 2 x 4 studs 16 in on centre.
    Material{"gypsum-studs", "Гипсокартон 12,5 мм на каркасе",
             widen(0.29, 0.10, 0.05, 0.04, 0.07, 0.09)},
    // Ballou, table of typical coefficients: wood-fibre ceiling tile.
    Material{"fibre-tile", "Потолочные плиты из древесного волокна",
             widen(0.15, 0.40, 0.70, 0.80, 0.80, 0.80)},
    // Generic suspended mineral-fibre tile of NRC 0.65 as the common absorption tables list it,
    // 8 kHz given there; a maker's sheet for the tile actually used replaces it.
    Material{"mineral-tile",
             "Минераловатные потолочные плиты на подвесе",
             {0.38, 0.36, 0.54, 0.79, 0.84, 0.88, 0.88}},
    Material{"carpet-concrete", "Ковролин плотный на бетоне",
             widen(0.02, 0.06, 0.14, 0.37, 0.60, 0.65)},
    Material{"carpet-underlay", "Ковролин плотный на войлочной подложке",
             widen(0.08, 0.24, 0.57, 0.69, 0.71, 0.73)},
    Material{"linoleum", "Линолеум, ПВХ или пробка на бетоне",
             widen(0.02, 0.03, 0.03, 0.03, 0.03, 0.02)},
    Material{"parquet", "Паркет на бетоне", widen(0.04, 0.04, 0.07, 0.06, 0.06, 0.07)},
    Material{"wood-floor", "Дощатый пол на лагах", widen(0.15, 0.11, 0.10, 0.07, 0.06, 0.07)},
    Material{"tile", "Мрамор, керамическая плитка", widen(0.01, 0.01, 0.01, 0.01, 0.02, 0.02)},
    Material{"glass-window", "Оконное стекло", widen(0.35, 0.25, 0.18, 0.12, 0.07, 0.04)},
    Material{"glass-plate", "Толстое стекло, большие витрины",
             widen(0.18, 0.06, 0.04, 0.03, 0.02, 0.02)},
    Material{"curtain-heavy", "Тяжёлые шторы (велюр 610 г/м²) в складку",
             widen(0.14, 0.35, 0.55, 0.72, 0.70, 0.65)},
    Material{"curtain-light", "Лёгкие шторы вплотную к стене",
             widen(0.03, 0.04, 0.11, 0.17, 0.24, 0.35)},
    // Everest: 3/8 in plywood panelling.
    Material{"wood-panels", "Деревянные панели (фанера 10 мм)",
             widen(0.28, 0.22, 0.17, 0.09, 0.10, 0.11)},
    Material{"wood-doors", "Деревянные двери", widen(0.10, 0.07, 0.05, 0.04, 0.04, 0.04)},
    // Beranek's audience-area values (per m² of the seating area), as the handbooks reproduce.
    Material{"seats-empty", "Мягкие кресла, пустые", widen(0.49, 0.66, 0.80, 0.88, 0.82, 0.70)},
    Material{"seats-occupied", "Мягкие кресла, занятые слушателями",
             widen(0.60, 0.74, 0.88, 0.96, 0.93, 0.85)},
};

// ISO 9613-1, pure-tone attenuation at the octaves' mid frequencies, 20 °C, 50 % RH, 101.325 kPa,
// in dB/km.
constexpr Bands kAirDbPerKm{0.44, 1.31, 2.73, 4.66, 9.86, 29.7, 105.0};

} // namespace

std::span<const Material> materials() {
    return kMaterials;
}

const Material* findMaterial(std::string_view id) {
    const auto* found = std::find_if(kMaterials.begin(), kMaterials.end(),
                                     [&](const Material& m) { return m.id == id; });
    return found == kMaterials.end() ? nullptr : found;
}

Bands airAttenuation() {
    // An attenuation of a dB per metre is a/(10 lg e) in the intensity's exponent.
    const double dbPerNeper = 10 / std::numbers::ln10;
    Bands m{};
    for (std::size_t k = 0; k < kBands; ++k)
        m[k] = kAirDbPerKm[k] / 1000 / dbPerNeper;
    return m;
}

} // namespace pa::plan
