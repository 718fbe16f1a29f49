// Times one drag step in the plan window's view for a 200 x 150 m hall with 2,000 ceiling
// loudspeakers: the mouse move, the recompute it leads to and one repaint, each driven through
// the view's own events. Prints the median step beside the whole recompute and repaint a move
// cost before drag steps were spared (a new scene, painted), and the median repaint alone with
// the room fitted and zoomed in.
//
//   QT_QPA_PLATFORM=offscreen pa-bench-plan-view-drag [steps]
#include "plan/plan.h"
#include "rooms.h"
#include "timing.h"
#include "ui/plan/plan_view.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWheelEvent>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

using namespace pa;

namespace {

using bench::Clock;
using bench::cpuMs;
using bench::median;
using bench::msSince;
using bench::Timing;

void print(const char* what, Timing t) {
    std::printf("  %-40s %8.1f ms wall %8.1f ms processor\n", what, t.wallMs, t.cpuMs);
}

// Counts the view's paints, so that a step shows it paints once.
class PaintCounter final : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++paints;
        return QObject::eventFilter(watched, event);
    }
};

void mouse(PlanView& view, QEvent::Type type, QPointF at, Qt::MouseButtons buttons) {
    QMouseEvent event(type, at, view.mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(&view, &event);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int steps = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;

    const plan::PlanInputs in = bench::dragHall();

    PlanView view;
    view.resize(700, 600);
    view.show();
    view.setScene(makeScene(in, plan::layOut(in, plan::Method::ByCount)));
    view.repaint();
    const std::size_t moved = view.scene().speakers.size() / 2;
    const plan::Speaker start = view.scene().speakers.at(moved);

    // A move as it cost before: the whole scene anew and its picture.
    const Timing whole = median(steps, [&](int i) {
        std::vector<plan::Speaker> speakers = view.scene().speakers;
        speakers.at(moved).x = start.x + 0.1 * (i % 2 == 0 ? 1 : -1);
        view.setScene(makeScene(in, std::move(speakers)));
        view.repaint();
    });

    const QPointF from = view.mapping().toScreen(start.x, start.y);
    mouse(view, QEvent::MouseButtonPress, from, Qt::LeftButton);
    PaintCounter counter;
    view.installEventFilter(&counter);
    // Three moves arrive before the view gets its turn: one recompute, one paint.
    const Timing step = median(steps, [&](int i) {
        for (const double dx : {1.0, 2.0, 3.0})
            mouse(view, QEvent::MouseMove, from + QPointF(i % 2 == 0 ? dx : -dx, 0),
                  Qt::LeftButton);
        QApplication::processEvents();
    });
    const int paints = counter.paints;
    const Timing end = median(1, [&](int) {
        mouse(view, QEvent::MouseButtonRelease, from, Qt::NoButton);
        QApplication::processEvents();
    });

    const Timing fitted = median(steps, [&](int) { view.repaint(); });
    QWheelEvent wheel(from, view.mapToGlobal(from), {}, {0, 120 * 12}, Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(&view, &wheel);
    const Timing zoomed = median(steps, [&](int) { view.repaint(); });

    std::printf("%zu loudspeakers in %g x %g m, %d x %d map points, median of %d\n",
                view.scene().speakers.size(), in.length, in.width, view.scene().grid.columns,
                view.scene().grid.rows, steps);
    print("move as before: new scene, repaint", whole);
    print("drag step: 3 moves, recompute, repaint", step);
    std::printf("  paints per drag step %.2f\n", static_cast<double>(paints) / steps);
    print("drag end: whole map, repaint", end);
    print("repaint, room fitted", fitted);
    std::printf("  zoomed x%.0f:\n",
                view.mapping().pixelsPerMetre / view.fitMapping().pixelsPerMetre);
    print("repaint, room zoomed", zoomed);
    return 0;
}
