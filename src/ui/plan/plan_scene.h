#pragma once

#include "plan/plan.h"

#include <QLocale>
#include <QPointF>
#include <QString>

#include <vector>

namespace pa {

// What the plan shows: one layout with its level map and figures, and how it is shown.
struct PlanScene {
    plan::PlanInputs inputs;
    std::vector<plan::Speaker> speakers;
    plan::Grid grid;           // the map's grid; levels empty when there is no map
    std::vector<float> levels; // row * grid.columns + column
    plan::Figures figures;
    int selected = -1;       // highlighted loudspeaker, -1 for none
    bool stale = false;      // drawn greyed
    bool worstFlash = false; // the worst point drawn larger, for a moment
    // Every number of the plan, in the picture and in the texts beside it, uses this separator.
    QString decimalSeparator = QLocale().decimalPoint();
};

// A scene for a layout: computes the level map and the figures.
PlanScene makeScene(const plan::PlanInputs& in, std::vector<plan::Speaker> speakers);

// Where the room's corner (0,0) and 1 m land on the device: x to the right, the room's y upward.
struct PlanMapping {
    QPointF origin;
    double pixelsPerMetre = 1;
    QPointF toScreen(double x, double y) const;
    QPointF toRoom(QPointF p) const;
};

// The loudspeaker drawn nearest to a device point within reach (device units), or -1.
int speakerAt(const PlanScene& scene, const PlanMapping& mapping, QPointF point, double reach);

} // namespace pa
