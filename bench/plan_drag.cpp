// Times one drag step of a loudspeaker in a large hall, as the plan window takes it: the level map
// updated for the one loudspeaker, the figures from that map, one repaint of the plan. Prints the
// median step, the full recompute it replaces (level map, figures, the same repaint), their
// ratio, and the largest difference between the updated map and a full one after all the steps.
//
//   pa-bench-plan-drag [steps] [full runs]
#include "plan/energy_map.h"
#include "plan/plan.h"
#include "rooms.h"
#include "timing.h"
#include "ui/plan/plan_painter.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <random>
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

std::string loadAverage() {
    std::ifstream file("/proc/loadavg");
    std::string a, b, c;
    file >> a >> b >> c;
    return a + " " + b + " " + c;
}

void paint(QImage& image, const PlanScene& scene) {
    image.fill(Qt::white);
    QPainter painter(&image);
    paintPlan(painter, QRectF(image.rect()), scene);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int steps = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000;
    const int fullRuns = argc > 2 ? std::max(1, std::atoi(argv[2])) : 9;

    const PlanInputs in = bench::dragHall();
    const std::vector<Speaker> start = layOut(in, Method::ByCount);
    const Grid grid = figureGrid(in.length, in.width);
    QImage image(1200, 800, QImage::Format_ARGB32_Premultiplied);
    std::printf("%u hardware threads, load average at start %s\n"
                "hall %.0f x %.0f m, %zu ceiling loudspeakers by count, mount %.1f m, listen "
                "%.1f m, opening %.4f rad, %.0f dB, noise %.0f dB + overlap %.0f dB\n"
                "map %d x %d points, picture %d x %d\n",
                std::thread::hardware_concurrency(), loadAverage().c_str(), in.length, in.width,
                start.size(), in.mountHeight, in.listenHeight, in.dirCoef, in.totalSpl,
                in.roomNoise, in.overlap, grid.columns, grid.rows, image.width(), image.height());

    // The full recompute a drag step took before: level map and figures, then the repaint.
    std::vector<double> fullWall, fullCpu, fullPaint;
    for (int run = 0; run < fullRuns; ++run) {
        const auto t0 = Clock::now();
        const double c0 = cpuMs();
        const PlanScene scene = makeScene(in, start);
        const auto t1 = Clock::now();
        paint(image, scene);
        fullPaint.push_back(msSince(t1));
        fullCpu.push_back(cpuMs() - c0);
        fullWall.push_back(msSince(t0));
    }

    auto t0 = Clock::now();
    EnergyMap map(in, start);
    const double buildMs = msSince(t0);
    PlanScene scene = makeScene(in, start);

    std::mt19937 random(2024);
    std::uniform_int_distribution<std::size_t> pick(0, start.size() - 1);
    std::uniform_real_distribution<double> nudge(-0.5, 0.5);
    std::vector<double> update, levels, figures, painting, stepWall, stepCpu;
    for (int step = 0; step < steps; ++step) {
        const std::size_t index = pick(random);
        Speaker s = map.speakers()[index];
        s.x = std::clamp(s.x + nudge(random), 0.0, in.length);
        s.y = std::clamp(s.y + nudge(random), 0.0, in.width);
        const double c0 = cpuMs();
        t0 = Clock::now();
        map.move(index, s);
        auto t1 = Clock::now();
        scene.speakers[index] = s;
        scene.levels = map.levels();
        auto t2 = Clock::now();
        scene.figures = figuresFromMap(in, scene.speakers, scene.levels);
        auto t3 = Clock::now();
        paint(image, scene);
        const auto t4 = Clock::now();
        stepCpu.push_back(cpuMs() - c0);
        const auto ms = [](auto a, auto b) {
            return std::chrono::duration<double, std::milli>(b - a).count();
        };
        update.push_back(ms(t0, t1));
        levels.push_back(ms(t1, t2));
        figures.push_back(ms(t2, t3));
        painting.push_back(ms(t3, t4));
        stepWall.push_back(ms(t0, t4));
    }

    const std::vector<float> full = levelMap(in, map.speakers(), grid);
    const std::vector<float> kept = map.levels();
    double worst = 0;
    for (std::size_t i = 0; i < full.size() && i < kept.size(); ++i)
        worst = std::max(worst, static_cast<double>(std::abs(full[i] - kept[i])));
    const bool compared = full.size() == kept.size() && !kept.empty();

    const double drag = median(stepWall);
    const double whole = median(fullWall);
    std::printf("full recompute (levelMap + figures + repaint), median of %d: %8.2f ms wall "
                "%8.2f ms processor (repaint %.2f ms)\n"
                "energy map built once at drag start:                  %8.2f ms wall\n"
                "drag step, median of %d steps:                    %8.2f ms wall %8.2f ms "
                "processor\n"
                "  map update %.3f ms, levels %.3f ms, figures %.3f ms, repaint %.2f ms "
                "(medians)\n"
                "  slowest step %.2f ms wall\n"
                "ratio full / drag step %.1f (wall), %.1f (processor)\n"
                "largest difference after %d steps against a full levelMap: %.6f dB%s\n"
                "load average at end %s\n",
                fullRuns, whole, median(fullCpu), median(fullPaint), buildMs, steps, drag,
                median(stepCpu), median(update), median(levels), median(figures), median(painting),
                *std::max_element(stepWall.begin(), stepWall.end()), whole / drag,
                median(fullCpu) / median(stepCpu), steps, worst,
                compared ? "" : " (no map to compare)", loadAverage().c_str());
    return 0;
}
