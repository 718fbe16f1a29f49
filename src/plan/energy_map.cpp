#include "plan/energy_map.h"

#include "plan/map_kernel.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <stdexcept>
#include <system_error>
#include <thread>

namespace pa::plan {

namespace {

// Below this many point-loudspeaker pairs a second thread costs more than it saves; one
// loudspeaker over the largest figure grid stays below it, so a drag step runs on one thread.
constexpr std::size_t kParallelWork = 500'000;
constexpr unsigned kMaxThreads = 8;

// What one energy may fall to before its logarithm: rounding of the sums, where every
// loudspeaker is gone, must not reach a logarithm of zero or less.
constexpr double kLeastEnergy = std::numeric_limits<float>::min();

bool finite(const Speaker& s) {
    return std::isfinite(s.x) && std::isfinite(s.y);
}

// One loudspeaker's energy added to, or with weight -1 taken from, a row of points. The
// coordinates are subtracted in double so that a place far from the corner loses nothing when
// it becomes a float.
struct RowChange {
    const double* xs;
    std::size_t columns;
    double x;
    kernel::RowView view;
    kernel::Gain gain;
    double weight;
    double* energy;
};

[[gnu::always_inline]] inline void applyRowBody(const RowChange& r) {
    for (std::size_t j = 0; j < r.columns; ++j) {
        const auto dx = static_cast<float>(r.xs[j] - r.x);
        r.energy[j] += r.weight * static_cast<double>(kernel::energyAt(dx, r.view, r.gain));
    }
}

[[gnu::always_inline]] inline void toLevelsBody(const double* energy, std::size_t count,
                                                float onAxisAt1m, float* levels) {
    for (std::size_t j = 0; j < count; ++j)
        levels[j] =
            onAxisAt1m + kernel::decibels(static_cast<float>(std::max(energy[j], kLeastEnergy)));
}

[[PA_TARGET_AVX512]] void applyRowAvx512(const RowChange& r) {
    applyRowBody(r);
}
[[PA_TARGET_AVX2]] void applyRowAvx2(const RowChange& r) {
    applyRowBody(r);
}
void applyRowBaseline(const RowChange& r) {
    applyRowBody(r);
}

void applyRow(const RowChange& r) {
    switch (kernel::isa()) {
    case kernel::Isa::Avx512:
        return applyRowAvx512(r);
    case kernel::Isa::Avx2:
        return applyRowAvx2(r);
    case kernel::Isa::Baseline:
        break;
    }
    applyRowBaseline(r);
}

[[PA_TARGET_AVX512]] void toLevelsAvx512(const double* e, std::size_t n, float at1m, float* out) {
    toLevelsBody(e, n, at1m, out);
}
[[PA_TARGET_AVX2]] void toLevelsAvx2(const double* e, std::size_t n, float at1m, float* out) {
    toLevelsBody(e, n, at1m, out);
}

void toLevels(const double* energy, std::size_t count, float onAxisAt1m, float* levels) {
    switch (kernel::isa()) {
    case kernel::Isa::Avx512:
        return toLevelsAvx512(energy, count, onAxisAt1m, levels);
    case kernel::Isa::Avx2:
        return toLevelsAvx2(energy, count, onAxisAt1m, levels);
    case kernel::Isa::Baseline:
        break;
    }
    toLevelsBody(energy, count, onAxisAt1m, levels);
}

// Runs work(rowBegin, rowEnd) over all rows, split among threads where the work is worth it.
// Nothing is allocated once a thread has started, so a thread cannot fail.
void inParts(int rows, std::size_t work, const std::function<void(int, int)>& part) {
    unsigned threads = 1;
    if (work >= kParallelWork)
        threads = std::clamp(std::thread::hardware_concurrency(), 1U, kMaxThreads);
    threads = std::min(threads, static_cast<unsigned>(rows));
    const auto bound = [&](unsigned i) {
        return static_cast<int>(static_cast<long long>(rows) * i / threads);
    };
    std::vector<std::jthread> helpers;
    helpers.reserve(threads);
    for (unsigned i = 1; i < threads; ++i) {
        try {
            helpers.emplace_back(part, bound(i), bound(i + 1));
        } catch (const std::system_error&) {
            // No thread to be had: this thread takes the part itself.
            part(bound(i), bound(i + 1));
        }
    }
    part(0, bound(1));
}

} // namespace

EnergyMap::EnergyMap(const PlanInputs& in, std::vector<Speaker> speakers)
    : EnergyMap(in, std::move(speakers), figureGrid(in.length, in.width)) {}

EnergyMap::EnergyMap(const PlanInputs& in, std::vector<Speaker> speakers, const Grid& grid)
    : in_(in), grid_(grid), speakers_(std::move(speakers)), mappable_(kernel::mappable(in, grid)) {
    if (!mappable_)
        return;
    xs_.reserve(static_cast<std::size_t>(grid_.columns));
    for (int column = 0; column < grid_.columns; ++column)
        xs_.push_back(grid_.x(column));
    build();
}

void EnergyMap::build() {
    energy_.clear();
    if (!mappable_ || speakers_.size() > kMaxDrawnSpeakers)
        return;
    const auto columns = static_cast<std::size_t>(grid_.columns);
    energy_.assign(columns * static_cast<std::size_t>(grid_.rows), 0.0);
    const kernel::Gain gain = kernel::gainOf(in_);
    const auto drop = static_cast<float>(in_.mountHeight - in_.listenHeight);
    inParts(grid_.rows, energy_.size() * speakers_.size(), [&](int rowBegin, int rowEnd) {
        for (int row = rowBegin; row < rowEnd; ++row) {
            const double y = grid_.y(row);
            double* line = energy_.data() + static_cast<std::size_t>(row) * columns;
            for (const Speaker& s : speakers_) {
                if (!finite(s))
                    continue;
                const auto view =
                    kernel::rowView(sourceOf(in_, s), static_cast<float>(y - s.y), drop);
                applyRow({xs_.data(), columns, s.x, view, gain, 1.0, line});
            }
        }
    });
}

void EnergyMap::apply(const Speaker& speaker, double weight) {
    if (energy_.empty() || !finite(speaker))
        return;
    const auto columns = static_cast<std::size_t>(grid_.columns);
    const kernel::Gain gain = kernel::gainOf(in_);
    const auto drop = static_cast<float>(in_.mountHeight - in_.listenHeight);
    const Source source = sourceOf(in_, speaker);
    for (int row = 0; row < grid_.rows; ++row) {
        const auto view =
            kernel::rowView(source, static_cast<float>(grid_.y(row) - speaker.y), drop);
        applyRow({xs_.data(), columns, speaker.x, view, gain, weight,
                  energy_.data() + static_cast<std::size_t>(row) * columns});
    }
}

void EnergyMap::move(std::size_t index, const Speaker& to) {
    Speaker& s = speakers_.at(index);
    if (s == to)
        return;
    apply(s, -1);
    s = to;
    apply(s, 1);
}

void EnergyMap::add(const Speaker& speaker) {
    speakers_.push_back(speaker);
    if (speakers_.size() > kMaxDrawnSpeakers)
        energy_.clear();
    else
        apply(speaker, 1);
}

void EnergyMap::remove(std::size_t index) {
    const Speaker gone = speakers_.at(index);
    speakers_.erase(speakers_.begin() + static_cast<std::ptrdiff_t>(index));
    if (speakers_.empty())
        std::fill(energy_.begin(), energy_.end(), 0.0); // nothing left, not the sums' rounding
    else if (energy_.empty())
        build(); // back within what a map takes
    else
        apply(gone, -1);
}

std::vector<float> EnergyMap::levels() const {
    if (energy_.empty() || speakers_.empty() ||
        !std::all_of(speakers_.begin(), speakers_.end(), finite))
        return {};
    std::vector<float> out(energy_.size());
    toLevels(energy_.data(), energy_.size(), static_cast<float>(in_.totalSpl), out.data());
    return out;
}

} // namespace pa::plan
