// Times the speech transmission index map on top of the plan's level map against the index
// computed point by point in double precision, on the same grid and layout, and prints both
// times and the largest difference.
//
//   pa-bench-sti-map [runs]
#include "plan/acoustics.h"
#include "plan/plan.h"
#include "plan/sti.h"
#include "rooms.h"
#include "timing.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string_view>
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

Bands alphaOf(std::string_view id) {
    return findMaterial(id)->alpha;
}

void run(const char* name, const PlanInputs& in, const RoomInput& roomInput, int runs) {
    const std::vector<Speaker> speakers = layOut(in, Method::ByCount);
    const Grid grid{400, 300, in.length, in.width};
    const RoomAcoustics room = roomAcoustics(in, roomInput, ",");
    const SoundField field = soundField(in, speakers.size(), room);
    const Speech speech = speechOf(field, pinkNoise(in.roomNoise), ",");
    if (!speech.ok()) {
        std::printf("%s: %s\n", name, speech.error.c_str());
        return;
    }
    std::vector<float> levels;
    std::vector<float> fast;
    std::vector<float> plain(static_cast<std::size_t>(grid.columns * grid.rows));
    const Timing levelTime = median(runs, [&] { levels = levelMap(in, speakers, grid); });
    const Timing fastTime = median(runs, [&] { fast = stiMap(speech, levels); });
    const Timing plainTime = median(std::max(1, runs / 10), [&] {
        for (std::size_t i = 0; i < levels.size(); ++i)
            plain[i] = static_cast<float>(stiAtLevel(speech, levels[i]));
    });
    double worst = 0;
    for (std::size_t i = 0; i < fast.size(); ++i)
        worst = std::max(worst, static_cast<double>(std::abs(fast[i] - plain[i])));
    const auto [low, high] = std::minmax_element(levels.begin(), levels.end());
    const StiFigures f = stiFigures(grid, fast, levels, field);
    std::printf("%s: %zu loudspeakers, %d x %d points, direct %.1f ... %.1f dB, T(1 kHz) %.2f s, "
                "reverberant %.1f dB(A), Q %.2f\n"
                "  levelMap        %8.2f ms wall %8.2f ms processor\n"
                "  stiMap          %8.2f ms wall %8.2f ms processor\n"
                "  plain per point %8.2f ms wall %8.2f ms processor\n"
                "  largest difference %.1e STI; mean %.3f, min %.3f, >= 0.50 on %.1f %%, "
                "CIS %.3f - %.3f, %%ALcons %.1f\n",
                name, speakers.size(), grid.columns, grid.rows, static_cast<double>(*low),
                static_cast<double>(*high), room.reverberation[3], field.reverberantLevelA, field.q,
                levelTime.wallMs, levelTime.cpuMs, fastTime.wallMs, fastTime.cpuMs,
                plainTime.wallMs, plainTime.cpuMs, worst, f.mean, f.min, f.shareGood * 100,
                f.cisMean, f.cisDeviation, f.alconsAtMin);
}

} // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 31;
    std::printf("%u hardware threads, median of %d runs (plain: %d)\n",
                std::thread::hardware_concurrency(), runs, std::max(1, runs / 10));

    PlanInputs ceiling = bench::mapRoom();
    ceiling.roomNoise = 50;
    RoomInput office;
    office.floor = alphaOf("carpet-concrete");
    office.ceiling = alphaOf("mineral-tile");
    office.walls = alphaOf("plaster-masonry");
    run("ceiling, office finishes", ceiling, office, runs);

    PlanInputs horn = bench::hornRoom();
    horn.roomNoise = ceiling.roomNoise;
    horn.mountHeight = 6;
    RoomInput hall;
    hall.height = 10;
    hall.floor = alphaOf("concrete");
    hall.ceiling = alphaOf("concrete-rough");
    hall.walls = alphaOf("block-painted");
    run("horn, staggered walls, bare hall", horn, hall, runs);
    return 0;
}
