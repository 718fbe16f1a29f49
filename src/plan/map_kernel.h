#pragma once

#include "plan/level_model.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <numbers>

// The level model rearranged for the vectoriser, for the maps that follow a dragged loudspeaker:
// energies relative to the common on-axis level at 1 m, the angle from its squared sine and
// cosine through a short polynomial, the directivity gain by a polynomial of the exponential,
// and one logarithm per point at the end. Every step is good to far below the 0.01 dB the maps
// promise against levelAt. Only for files built with -fno-math-errno, so that sqrt vectorises.
namespace pa::plan::kernel {

// The maps' loops are compiled once per instruction-set level and chosen when first run, so the
// same binary runs everywhere. Explicit feature lists, not target_clones: GCC and clang read the
// latter's levels differently, and clang 14 dispatches none of them.
#define PA_TARGET_AVX512                                                                           \
    gnu::target("avx512f,avx512vl,avx512bw,avx512dq,avx512cd,avx2,fma,bmi,bmi2")
#define PA_TARGET_AVX2 gnu::target("avx2,fma,bmi,bmi2")

enum class Isa { Avx512, Avx2, Baseline };

inline Isa isa() {
    static const Isa chosen = [] {
        __builtin_cpu_init();
        const bool avx2 = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma") &&
                          __builtin_cpu_supports("bmi") && __builtin_cpu_supports("bmi2");
        const bool avx512 =
            avx2 && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl") &&
            __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512dq") &&
            __builtin_cpu_supports("avx512cd");
        return avx512 ? Isa::Avx512 : avx2 ? Isa::Avx2 : Isa::Baseline;
    }();
    return chosen;
}

// No window is wider than this many points; a larger grid is a mistake, not a map.
inline constexpr int kMaxMapSide = 8192;

// Whether a map can be drawn for these inputs on this grid, loudspeakers aside.
inline bool mappable(const PlanInputs& in, const Grid& grid) {
    const auto finite = [](double v) { return std::isfinite(v); };
    return grid.columns >= 1 && grid.rows >= 1 && grid.columns <= kMaxMapSide &&
           grid.rows <= kMaxMapSide && finite(grid.length) && finite(grid.width) &&
           finite(in.totalSpl) && finite(in.mountHeight) && finite(in.listenHeight) &&
           in.mountHeight > in.listenHeight && in.dirCoef > 0 && finite(in.dirCoef);
}

inline constexpr float kHalfPi = std::numbers::pi_v<float> / 2;
inline constexpr float kPi = std::numbers::pi_v<float>;

// asin(sqrt(u)) / sqrt(u) on [0, 0.5], a Chebyshev fit good to 2e-8.
[[gnu::always_inline]] inline float asinRatio(float u) {
    constexpr float c[] = {9.9999998871e-01F,  1.6666954672e-01F, 7.4881144418e-02F,
                           4.6480849463e-02F,  1.6731388951e-02F, 7.5539753822e-02F,
                           -9.0086216711e-02F, 1.0967398324e-01F};
    float p = c[7];
    for (int i = 6; i >= 0; --i)
        p = p * u + c[i];
    return p;
}

// exp(-a) for a in [0, 7]: the Taylor series of a sixteenth of the argument, to the 16th power
// (relative error below 1e-6). The coefficients are 1/k! with alternating signs.
[[gnu::always_inline]] inline float expNegative(float a) {
    constexpr float c[] = {1.0F,      -1.0F,       1.0F / 2,   -1.0F / 6,
                           1.0F / 24, -1.0F / 120, 1.0F / 720, -1.0F / 5040};
    const float b = a * (1.0F / 16);
    float p = c[7];
    for (int i = 6; i >= 0; --i)
        p = p * b + c[i];
    p *= p;
    p *= p;
    p *= p;
    p *= p;
    return p;
}

// 10 log10(e) for positive normal e, to 1e-5 dB: the exponent from the bits, the mantissa
// moved to [sqrt(1/2), sqrt(2)) and its logarithm by the series of atanh.
[[gnu::always_inline]] inline float decibels(float e) {
    constexpr float kDbPerOctave = 3.0102999566F; // 10 log10(2)
    constexpr float kSqrt2 = std::numbers::sqrt2_v<float>;
    const auto bits = std::bit_cast<std::uint32_t>(e);
    auto octave = static_cast<float>(static_cast<int>(bits >> 23) - 127);
    auto m = std::bit_cast<float>((bits & 0x007FFFFFU) | 0x3F800000U); // [1, 2)
    if (m > kSqrt2) {
        m *= 0.5F;
        octave += 1;
    }
    const float t = (m - 1) / (m + 1);
    const float t2 = t * t;
    // log2(m) = 2 / ln 2 * (t + t^3 / 3 + t^5 / 5 + t^7 / 7 + t^9 / 9)
    const float series = t * (1 + t2 * (1.0F / 3 + t2 * (1.0F / 5 + t2 * (1.0F / 7 + t2 / 9))));
    return kDbPerOctave * (octave + 2 / std::numbers::ln2_v<float> * series);
}

// The directivity D(theta) = edge * (theta / half)^2 dB as an energy ratio,
// exp(-scale * theta^2), and the exponent where the directivity floor begins.
struct Gain {
    float scale = 0;
    float floor = 0;
};

inline Gain gainOf(const PlanInputs& in) {
    const double half = in.dirCoef / 2;
    return {static_cast<float>(-kEdgeDrop / 10 * std::numbers::ln10 / (half * half)),
            static_cast<float>(-kDirectivityFloor / 10 * std::numbers::ln10)};
}

// One loudspeaker seen from one row of points, dy across the row from it. The distance splits
// into the part along the axis (cosine) and the part across it (sine); along a row only dx
// changes.
struct RowView {
    float along2 = 0;     // squared distance along the axis
    float acrossRest = 0; // squared distance across the axis, but for dx
    float base = 0;       // behind a loudspeaker the angle is measured from the other side
    float sign = 1;
};

inline RowView rowView(const Source& src, float dy, float drop) {
    const float along = static_cast<float>(src.axisY) * dy + static_cast<float>(src.axisZ) * drop;
    const bool behind = along < 0;
    return {along * along, src.axisZ != 0 ? dy * dy : drop * drop, behind ? kPi : 0.0F,
            behind ? -1.0F : 1.0F};
}

// The loudspeaker's energy at the point dx along the row from it.
[[gnu::always_inline]] inline float energyAt(float dx, const RowView& v, const Gain& g) {
    const float across2 = dx * dx + v.acrossRest;
    const float inverse = 1.0F / (across2 + v.along2);
    const float sin2 = across2 * inverse;
    const float cos2 = v.along2 * inverse;
    const float small = std::min(sin2, cos2);
    const float phi = std::sqrt(small) * asinRatio(small);
    const float theta = v.base + v.sign * (sin2 <= cos2 ? phi : kHalfPi - phi);
    const float exponent = std::min(g.scale * theta * theta, g.floor);
    return expNegative(exponent) * inverse;
}

} // namespace pa::plan::kernel
