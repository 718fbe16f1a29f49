// Times the plan's level map against the level model written out point by point, on the same
// grid and layout, and prints both times, their ratio and the largest difference in dB.
//
//   pa-bench-plan-map [runs]
#include "plan/plan.h"
#include "rooms.h"
#include "timing.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <thread>
#include <vector>

using namespace pa;
using namespace pa::plan;

namespace {

using bench::Clock;
using bench::cpuMs;
using bench::median;
using bench::msSince;
using bench::Timing;

// The level model as the formula reads: pow and log10 for every loudspeaker at every point.
std::vector<float> plainMap(const PlanInputs& in, const std::vector<Speaker>& speakers,
                            const Grid& grid) {
    std::vector<float> out;
    out.reserve(static_cast<std::size_t>(grid.columns) * static_cast<std::size_t>(grid.rows));
    const double drop = in.mountHeight - in.listenHeight;
    const double half = in.dirCoef / 2;
    for (int row = 0; row < grid.rows; ++row) {
        for (int column = 0; column < grid.columns; ++column) {
            const double x = grid.x(column);
            const double y = grid.y(row);
            double sum = 0;
            for (const Speaker& s : speakers) {
                const double dx = x - s.x;
                const double dy = y - s.y;
                const double r = std::sqrt(dx * dx + dy * dy + drop * drop);
                const double along = s.wall == Wall::None ? drop : s.wall == Wall::Near ? dy : -dy;
                const double theta = std::acos(std::clamp(along / r, -1.0, 1.0));
                const double d = std::max(-30.0, -6 * std::pow(theta / half, 2));
                const double level = in.totalSpl - 20 * std::log10(r) + d;
                sum += std::pow(10.0, level / 10);
            }
            out.push_back(static_cast<float>(10 * std::log10(sum)));
        }
    }
    return out;
}

void run(const char* name, const PlanInputs& in, Method method, int runs) {
    const std::vector<Speaker> speakers = layOut(in, method);
    const Grid grid{400, 300, in.length, in.width};
    std::vector<float> fast;
    std::vector<float> plain;
    const Timing fastTime = median(runs, [&] { fast = levelMap(in, speakers, grid); });
    const Timing plainTime =
        median(std::max(1, runs / 10), [&] { plain = plainMap(in, speakers, grid); });
    double worst = 0;
    for (std::size_t i = 0; i < fast.size(); ++i)
        worst = std::max(worst, static_cast<double>(std::abs(fast[i] - plain[i])));
    std::printf("%s: %zu loudspeakers, %d x %d points\n"
                "  levelMap   %8.2f ms wall %8.2f ms processor\n"
                "  plain loop %8.2f ms wall %8.2f ms processor\n"
                "  ratio %.1f (wall), largest difference %.5f dB\n",
                name, speakers.size(), grid.columns, grid.rows, fastTime.wallMs, fastTime.cpuMs,
                plainTime.wallMs, plainTime.cpuMs, plainTime.wallMs / fastTime.wallMs, worst);
}

} // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 31;
    std::printf("%u hardware threads, median of %d runs (plain loop: %d)\n",
                std::thread::hardware_concurrency(), runs, std::max(1, runs / 10));

    const PlanInputs ceiling = bench::mapRoom();
    run("ceiling, by count", ceiling, Method::ByCount, runs);

    const PlanInputs horn = bench::hornRoom();
    run("horn, staggered walls", horn, Method::ByCount, runs);
    return 0;
}
