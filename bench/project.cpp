// Times a building of 500 rooms (5 to 2,000 loudspeakers each): opening its file, saving it,
// and computing every figure of it; prints the three times and what the project holds.
//
//   pa-bench-project [folder]     (the file goes there; the system's temporary folder otherwise)
#include "project/project.h"
#include "project/project_figures.h"
#include "project/project_file.h"
#include "timing.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <unistd.h>

using namespace pa;
using namespace pa::project;

namespace {

using bench::Clock;
using bench::cpuMs;
using bench::median;
using bench::msSince;
using bench::Timing;

constexpr std::size_t kRooms = 500;
constexpr std::size_t kLines = 20;
constexpr double kFewest = 5;
constexpr double kMost = 2000;

std::string decimal(double value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.1f", value);
    return buffer;
}

// A square ceiling room of the worked example's kind sized for about `wanted` loudspeakers;
// every room keeps hand-moved positions, the largest file a building of this size makes.
Room room(std::size_t index, double wanted) {
    Room r;
    r.name = "Помещение " + std::to_string(index + 1);
    r.floor = "Этаж " + std::to_string(index % 9 + 1);
    r.model = "TD-13";
    r.power = "3";
    r.sensitivity = "90";
    r.roomType = "АВТОСТОЯНКА";
    r.noise = "70";
    // The example's 6 m square takes 5; the count grows with the area.
    r.length = r.width = decimal(6 * std::sqrt(wanted / kFewest));
    r.height = "3";
    r.line = "L" + std::to_string(index % kLines + 1);
    return r;
}

Project building() {
    Project p;
    p.name = "Корпус";
    p.objectName = "Бизнес-центр";
    p.address = "ул. Примерная, 1";
    p.author = "Инженер";
    for (std::size_t i = 0; i < kLines; ++i) {
        Line l;
        l.id = "L" + std::to_string(i + 1);
        l.name = "Линия " + std::to_string(i + 1);
        l.cableLength = 50 + 10 * static_cast<double>(i);
        p.lines.push_back(l);
    }
    // Counts spread evenly in their logarithm, so small and large rooms both come up.
    for (std::size_t i = 0; i < kRooms; ++i) {
        const double share = static_cast<double>((i * 7919) % kRooms) / (kRooms - 1);
        p.rooms.push_back(room(i, kFewest * std::pow(kMost / kFewest, share)));
    }
    // Rooms over the map's limit are made a little smaller until they fit.
    for (Room& r : p.rooms) {
        for (;;) {
            const RoomFigures f = roomFigures(r);
            if (f.speakers.size() <= plan::kMaxDrawnSpeakers)
                break;
            r.length = r.width = decimal(std::stod(r.length) * 0.98);
        }
    }
    for (std::size_t i = 0; i < kRooms; ++i) {
        RoomFigures f = roomFigures(p.rooms[i]);
        for (plan::Speaker& s : f.speakers)
            s.x += 0.125;
        p.rooms[i].positions = f.speakers;
    }
    return p;
}

} // namespace

int main(int argc, char** argv) {
    const std::string folder = argc > 1 ? argv[1] : "/tmp";
    const std::string path = folder + "/pa-bench-" + std::to_string(getpid()) + ".pacov";
    const Project project = building();

    auto start = Clock::now();
    const std::string saveError = saveProject(path, project);
    const double saveMs = msSince(start);
    if (!saveError.empty()) {
        std::fprintf(stderr, "save: %s\n", saveError.c_str());
        return 1;
    }
    start = Clock::now();
    const ReadOutcome opened = openProject(path);
    const double openMs = msSince(start);
    std::remove(path.c_str());
    if (!opened.project || !(*opened.project == project)) {
        std::fprintf(stderr, "open: %s\n", opened.error.c_str());
        return 1;
    }
    // Without the level maps: counts, powers, lines and the bill.
    FigureOptions quick;
    quick.levels = false;
    start = Clock::now();
    const ProjectFigures electrical = projectFigures(*opened.project, quick);
    const double electricalMs = msSince(start);
    // What the window shows at once on opening: the quick figures, the level maps left to its
    // thread.
    FiguresCache cache;
    FigureOptions shown;
    shown.cache = &cache;
    shown.keptOnly = true;
    start = Clock::now();
    const ProjectFigures atOnce = projectFigures(*opened.project, shown);
    const double shownMs = msSince(start);
    // Every figure from nothing, then again after one room was changed, with the rooms
    // computed before kept.
    FigureOptions full;
    full.cache = &cache;
    start = Clock::now();
    const ProjectFigures figures = projectFigures(*opened.project, full);
    const double figuresMs = msSince(start);
    Project edited = *opened.project;
    edited.rooms[kRooms / 2].noise = "75";
    edited.lines[0].cableLength += 10;
    start = Clock::now();
    const ProjectFigures again = projectFigures(edited, full);
    const double againMs = msSince(start);

    std::size_t speakers = 0;
    std::size_t fewest = SIZE_MAX;
    std::size_t most = 0;
    for (const RoomFigures& f : figures.rooms) {
        speakers += f.speakers.size();
        fewest = std::min(fewest, f.speakers.size());
        most = std::max(most, f.speakers.size());
    }
    const auto bytes = writeProject(project)->size();
    std::printf("%zu rooms (%zu to %zu loudspeakers, %zu in all), %zu lines, %zu bytes, %u "
                "hardware threads\n",
                figures.rooms.size(), fewest, most, speakers, figures.lines.size(), bytes,
                std::thread::hardware_concurrency());
    std::printf("open %8.1f ms, shown %.1f ms later: %.1f ms (limit 300)\nsave %8.1f ms (limit "
                "200)\n",
                openMs, shownMs, openMs + shownMs, saveMs);
    std::printf("level maps left to the window's thread: %zu rooms\n", atOnce.pending.size());
    std::printf("figures without level maps %8.1f ms, %.0f W in all\n", electricalMs,
                electrical.totalWatts);
    std::printf("every figure               %8.1f ms (limit 1000)\n", figuresMs);
    std::printf("again after one room edited %7.1f ms (%s)\n", againMs,
                again.totalWatts != figures.totalWatts ? "changed" : "same power");
    return 0;
}
