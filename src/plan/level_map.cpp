#include "plan/level_model.h"
#include "plan/map_kernel.h"
#include "plan/plan.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <thread>

// The map follows a dragged loudspeaker, so it is computed in single precision with the level
// model rearranged for the vectoriser: energies relative to the common on-axis level at 1 m,
// the angle from its squared sine and cosine through a short polynomial, the directivity gain
// by a polynomial of the exponential, and one logarithm per point at the end. Every step is
// good to far below the 0.01 dB the map promises against levelAt.
namespace pa::plan {

namespace {

// Below this many point-loudspeaker pairs a second thread costs more than it saves.
constexpr std::size_t kParallelWork = 200'000;
constexpr unsigned kMaxThreads = 8;

using kernel::asinRatio;
using kernel::decibels;
using kernel::expNegative;
using kernel::kHalfPi;
using kernel::kMaxMapSide;
using kernel::kPi;

// What every row needs: the points along x and the loudspeakers, in single precision.
struct Setup {
    int columns = 0;
    std::vector<float> xs;
    std::vector<float> sx, sy;
    std::vector<Source> sources;
    const Grid* grid = nullptr;
    float totalSpl = 0;
    float drop = 0;
    float gainScale = 0; // directivity as exp(-gainScale * theta^2)
    float gainFloor = 0; // the exponent where the directivity floor begins
};

Setup setUp(const PlanInputs& in, const std::vector<Speaker>& speakers, const Grid& grid) {
    Setup s;
    s.columns = grid.columns;
    s.grid = &grid;
    s.totalSpl = static_cast<float>(in.totalSpl);
    s.drop = static_cast<float>(in.mountHeight - in.listenHeight);
    for (int column = 0; column < grid.columns; ++column)
        s.xs.push_back(static_cast<float>(grid.x(column)));
    for (const Speaker& speaker : speakers) {
        s.sx.push_back(static_cast<float>(speaker.x));
        s.sy.push_back(static_cast<float>(speaker.y));
        s.sources.push_back(sourceOf(in, speaker));
    }
    // D(theta) = edge * (theta / half)^2 dB is exp(-scale * theta^2) as an energy ratio.
    const double half = in.dirCoef / 2;
    s.gainScale = static_cast<float>(-kEdgeDrop / 10 * std::numbers::ln10 / (half * half));
    s.gainFloor = static_cast<float>(-kDirectivityFloor / 10 * std::numbers::ln10);
    return s;
}

// One loudspeaker seen from one row of points. The distance splits into the part along the
// axis (cosine) and the part across it (sine); along a row only dx changes.
struct Beam {
    float x = 0;
    float along2 = 0;     // squared distance along the axis
    float acrossRest = 0; // squared distance across the axis, but for dx
    float base = 0;       // behind a loudspeaker the angle is measured from the other side
    float sign = 1;
};

// Adds every loudspeaker's energy to a row of points. Cloned for wider vector units, chosen
// when the program loads, so the same binary runs everywhere.
__attribute__((target_clones("arch=x86-64-v4", "arch=x86-64-v3", "default"))) void
accumulateRow(const float* xs, std::size_t columns, const Beam* beams, std::size_t count,
              float scale, float floor, float* acc) {
    for (std::size_t i = 0; i < count; ++i) {
        const Beam b = beams[i];
        for (std::size_t j = 0; j < columns; ++j) {
            const float dx = xs[j] - b.x;
            const float across2 = dx * dx + b.acrossRest;
            const float inverse = 1.0F / (across2 + b.along2);
            const float sin2 = across2 * inverse;
            const float cos2 = b.along2 * inverse;
            const float small = std::min(sin2, cos2);
            const float phi = std::sqrt(small) * asinRatio(small);
            const float theta = b.base + b.sign * (sin2 <= cos2 ? phi : kHalfPi - phi);
            const float exponent = std::min(scale * theta * theta, floor);
            acc[j] += expNegative(exponent) * inverse;
        }
    }
}

__attribute__((target_clones("arch=x86-64-v4", "arch=x86-64-v3", "default"))) void
toLevels(const float* energy, std::size_t columns, float onAxisAt1m, float* levels) {
    for (std::size_t j = 0; j < columns; ++j)
        levels[j] = onAxisAt1m + decibels(energy[j]);
}

// The rows one thread computes, with its scratch space. Everything is allocated before any
// thread starts, so a thread cannot fail.
struct Part {
    int rowBegin = 0;
    int rowEnd = 0;
    std::vector<float> energy;
    std::vector<Beam> beams;
};

void mapRows(const Setup& s, Part& part, float* out) noexcept {
    const auto columns = static_cast<std::size_t>(s.columns);
    for (int row = part.rowBegin; row < part.rowEnd; ++row) {
        const auto y = static_cast<float>(s.grid->y(row));
        for (std::size_t i = 0; i < part.beams.size(); ++i) {
            const Source& src = s.sources[i];
            const float dy = y - s.sy[i];
            const float along =
                static_cast<float>(src.axisY) * dy + static_cast<float>(src.axisZ) * s.drop;
            const bool behind = along < 0;
            part.beams[i] = {s.sx[i], along * along, src.axisZ != 0 ? dy * dy : s.drop * s.drop,
                             behind ? kPi : 0.0F, behind ? -1.0F : 1.0F};
        }
        std::fill(part.energy.begin(), part.energy.end(), 0.0F);
        accumulateRow(s.xs.data(), columns, part.beams.data(), part.beams.size(), s.gainScale,
                      s.gainFloor, part.energy.data());
        toLevels(part.energy.data(), columns, s.totalSpl,
                 out + static_cast<std::size_t>(row) * columns);
    }
}

} // namespace

std::vector<float> levelMap(const PlanInputs& in, const std::vector<Speaker>& speakers,
                            const Grid& grid) {
    const auto finite = [](double v) { return std::isfinite(v); };
    const bool drawable = !speakers.empty() && speakers.size() <= kMaxDrawnSpeakers &&
                          grid.columns >= 1 && grid.rows >= 1 && grid.columns <= kMaxMapSide &&
                          grid.rows <= kMaxMapSide && finite(grid.length) && finite(grid.width) &&
                          finite(in.totalSpl) && finite(in.mountHeight) &&
                          finite(in.listenHeight) && in.mountHeight > in.listenHeight &&
                          in.dirCoef > 0 && finite(in.dirCoef) &&
                          std::all_of(speakers.begin(), speakers.end(),
                                      [&](const Speaker& s) { return finite(s.x) && finite(s.y); });
    if (!drawable)
        return {};
    const Setup setup = setUp(in, speakers, grid);
    const auto columns = static_cast<std::size_t>(grid.columns);
    std::vector<float> out(columns * static_cast<std::size_t>(grid.rows));
    unsigned threads = 1;
    if (out.size() * speakers.size() >= kParallelWork)
        threads = std::clamp(std::thread::hardware_concurrency(), 1U, kMaxThreads);
    threads = std::min(threads, static_cast<unsigned>(grid.rows));
    std::vector<Part> parts;
    for (unsigned i = 0; i < threads; ++i)
        parts.push_back({static_cast<int>(static_cast<long long>(grid.rows) * i / threads),
                         static_cast<int>(static_cast<long long>(grid.rows) * (i + 1) / threads),
                         std::vector<float>(columns), std::vector<Beam>(speakers.size())});
    {
        std::vector<std::jthread> helpers;
        helpers.reserve(parts.size());
        for (std::size_t i = 1; i < parts.size(); ++i) {
            try {
                helpers.emplace_back(mapRows, std::cref(setup), std::ref(parts[i]), out.data());
            } catch (const std::system_error&) {
                // No thread to be had: this thread takes the part itself.
                mapRows(setup, parts[i], out.data());
            }
        }
        mapRows(setup, parts[0], out.data());
    }
    return out;
}

} // namespace pa::plan
