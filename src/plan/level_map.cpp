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
using kernel::kMaxMapSide;

using kernel::decibels;
using kernel::kPi;

// No window is this far from the room's corner: the largest room is 10 km a side. Within it the
// squared distances stay far inside single precision's range.
constexpr double kMaxMapReach = 1e6; // m
// Below this drop the squared drop of single precision would come near its smallest normal
// number; planInputs refuses far larger drops anyway.
constexpr double kMinMapDrop = 1e-9; // m

// A coordinate as two singles whose sum is the double to 1e-14 relative: the differences of
// two such are as exact as the doubles', which a single alone loses in a large room where the
// listening plane comes close to the loudspeakers.
struct Split {
    float high = 0;
    float low = 0;
};

Split split(double v) {
    const auto high = static_cast<float>(v);
    return {high, static_cast<float>(v - static_cast<double>(high))};
}

// What every row needs: the points along x and the loudspeakers.
struct Setup {
    int columns = 0;
    std::vector<float> xs, xsLow;
    std::vector<Split> sx;
    std::vector<double> sy;
    std::vector<Source> sources;
    const Grid* grid = nullptr;
    float totalSpl = 0;
    kernel::Gain gain;
};

Setup setUp(const PlanInputs& in, const std::vector<Speaker>& speakers, const Grid& grid) {
    Setup s;
    s.columns = grid.columns;
    s.grid = &grid;
    s.totalSpl = static_cast<float>(in.totalSpl);
    for (int column = 0; column < grid.columns; ++column) {
        const Split x = split(grid.x(column));
        s.xs.push_back(x.high);
        s.xsLow.push_back(x.low);
    }
    for (const Speaker& speaker : speakers) {
        s.sx.push_back(split(speaker.x));
        s.sy.push_back(speaker.y);
        s.sources.push_back(sourceOf(in, speaker));
    }
    s.gain = kernel::gainOf(in);
    return s;
}

// One loudspeaker seen from one row of points. The distance splits into the part along the
// axis (cosine) and the part across it (sine); along a row only dx changes.
struct Beam {
    Split x;
    kernel::RowView view;
};

// One row of the map: the loudspeakers' energies summed into energy, then the levels.
struct Row {
    const float* xs;
    const float* xsLow;
    std::size_t columns;
    const Beam* beams;
    std::size_t count;
    kernel::Gain gain;
    float onAxisAt1m;
    float* energy;
    float* levels;
};

// The row's loops, left to the vectoriser; compiled once per instruction-set level below.
[[gnu::always_inline]] inline void mapRow(const Row& row) {
    const float* const xs = row.xs;
    const float* const xsLow = row.xsLow;
    const std::size_t columns = row.columns;
    const kernel::Gain gain = row.gain;
    float* const acc = row.energy;
    std::fill(acc, acc + columns, 0.0F);
    for (std::size_t i = 0; i < row.count; ++i) {
        const Beam b = row.beams[i];
        for (std::size_t j = 0; j < columns; ++j) {
            // The high parts of nearby coordinates subtract exactly; the low parts add the rest.
            const float dx = (xs[j] - b.x.high) + (xsLow[j] - b.x.low);
            acc[j] += kernel::energyAt(dx, b.view, gain);
        }
    }
    const float onAxisAt1m = row.onAxisAt1m;
    float* const levels = row.levels;
    for (std::size_t j = 0; j < columns; ++j)
        levels[j] = onAxisAt1m + decibels(acc[j]);
}

[[PA_TARGET_AVX512]] void mapRowAvx512(const Row& row) {
    mapRow(row);
}

[[PA_TARGET_AVX2]] void mapRowAvx2(const Row& row) {
    mapRow(row);
}

void mapRowBaseline(const Row& row) {
    mapRow(row);
}

using RowKernel = void (*)(const Row&);

RowKernel rowKernel() {
    switch (kernel::isa()) {
    case kernel::Isa::Avx512:
        return &mapRowAvx512;
    case kernel::Isa::Avx2:
        return &mapRowAvx2;
    case kernel::Isa::Baseline:
        break;
    }
    return &mapRowBaseline;
}

// The rows one thread computes, with its scratch space. Everything is allocated before any
// thread starts, so a thread cannot fail.
struct Part {
    int rowBegin = 0;
    int rowEnd = 0;
    std::vector<float> energy;
    std::vector<Beam> beams;
};

void mapRows(const Setup& s, RowKernel kernel, Part& part, float* out) noexcept {
    const auto columns = static_cast<std::size_t>(s.columns);
    for (int row = part.rowBegin; row < part.rowEnd; ++row) {
        const double y = s.grid->y(row);
        for (std::size_t i = 0; i < part.beams.size(); ++i) {
            const Source& src = s.sources[i];
            const double dy = y - s.sy[i];
            const double along = src.axisY * dy + src.axisZ * src.drop;
            const bool behind = along < 0;
            part.beams[i] = {s.sx[i],
                             {static_cast<float>(along * along),
                              static_cast<float>(src.axisZ != 0 ? dy * dy : src.drop * src.drop),
                              behind ? kPi : 0.0F, behind ? -1.0F : 1.0F}};
        }
        kernel({s.xs.data(), s.xsLow.data(), columns, part.beams.data(), part.beams.size(), s.gain,
                s.totalSpl, part.energy.data(), out + static_cast<std::size_t>(row) * columns});
    }
}

} // namespace

std::vector<float> levelMap(const PlanInputs& in, const std::vector<Speaker>& speakers,
                            const Grid& grid) {
    const auto near = [](double v) { return std::abs(v) <= kMaxMapReach; }; // false for NaN
    const double drop = in.mountHeight - in.listenHeight;
    // An opening angle so narrow that its gain scale leaves single precision is no loudspeaker.
    const bool drawable = !speakers.empty() && speakers.size() <= kMaxDrawnSpeakers &&
                          grid.columns >= 1 && grid.rows >= 1 && grid.columns <= kMaxMapSide &&
                          grid.rows <= kMaxMapSide && near(grid.length) && near(grid.width) &&
                          std::abs(in.totalSpl) <= kMaxAbsLevel && drop >= kMinMapDrop &&
                          drop <= kMaxMapReach && in.dirCoef > 0 && std::isfinite(in.dirCoef) &&
                          std::isfinite(kernel::gainOf(in).scale) &&
                          std::all_of(speakers.begin(), speakers.end(),
                                      [&](const Speaker& s) { return near(s.x) && near(s.y); });
    if (!drawable)
        return {};
    const Setup setup = setUp(in, speakers, grid);
    const auto columns = static_cast<std::size_t>(grid.columns);
    std::vector<float> out(columns * static_cast<std::size_t>(grid.rows));
    unsigned threads = 1;
    if (out.size() * speakers.size() >= kParallelWork)
        threads = std::clamp(std::thread::hardware_concurrency(), 1U, kMaxThreads);
    threads = std::min(threads, static_cast<unsigned>(grid.rows));
    const RowKernel kernel = rowKernel();
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
                helpers.emplace_back(mapRows, std::cref(setup), kernel, std::ref(parts[i]),
                                     out.data());
            } catch (const std::system_error&) {
                // No thread to be had: this thread takes the part itself.
                mapRows(setup, kernel, parts[i], out.data());
            }
        }
        mapRows(setup, kernel, parts[0], out.data());
    }
    return out;
}

} // namespace pa::plan
