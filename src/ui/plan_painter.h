#pragma once

#include "plan/plan.h"

#include <QLocale>
#include <QPointF>
#include <QRectF>

#include <vector>

class QPainter;

namespace pa {

// Everything a picture of the plan needs.
struct PlanScene {
    plan::PlanInputs inputs;
    std::vector<plan::Speaker> speakers;
    plan::Grid grid;           // the map's grid; levels empty when there is no map
    std::vector<float> levels; // row * grid.columns + column
    plan::Figures figures;
    int selected = -1;  // highlighted loudspeaker, -1 for none
    bool stale = false; // drawn greyed
    // The numbers of the picture use the separator the figures use.
    QString decimalSeparator = QLocale().decimalPoint();
};

// Draws the plan and its legend into target (logical units of the painter's device): the room to
// scale from above with a metre grid and axes, the level map, the loudspeakers numbered, each
// one's coverage outline, the contour of the target level, the worst point, step dimensions.
// The room is drawn as on a drawing: its corner (0,0) at the bottom left, x to the right, y
// upward, so the wall y = 0 is the lower one. The legend stands to the right of the room.
// Text and line sizes follow the painter's font size in points, so a page at a printer's
// resolution gets the same proportions as the screen.
void paintPlan(QPainter& painter, const QRectF& target, const PlanScene& scene);

// Where the room's corner (0,0) and 1 m land for a target: used by the window for hit tests.
// It agrees with paintPlan on any device of the screen's logical resolution.
struct PlanMapping {
    QPointF origin;
    double pixelsPerMetre = 1;
    QPointF toScreen(double x, double y) const;
    QPointF toRoom(QPointF p) const;
};
PlanMapping planMapping(const QRectF& target, const PlanScene& scene);

// A scene for a layout: computes the level map and the figures.
PlanScene makeScene(const plan::PlanInputs& in, std::vector<plan::Speaker> speakers);

} // namespace pa
