#pragma once

#include "ui/plan/plan_scene.h"

#include <QRectF>

#include <vector>

class QPainter;

namespace pa {

// Draws the plan and its legend into target (logical units of the painter's device): the room to
// scale from above with a metre grid and axes, the level map, the loudspeakers numbered, each
// one's coverage outline, the contour of the target level, the worst point, step dimensions.
// The room is drawn as on a drawing: its corner (0,0) at the bottom left, x to the right, y
// upward, so the wall y = 0 is the lower one. The legend stands to the right of the room.
// Text and line sizes follow the painter's font size in points, so a page at a printer's
// resolution gets the same proportions as the screen. No label covers another: one without a
// free place is left out. labels, where given, receives the rectangles the labels took.
// view, where given, puts the room where a view's mapping does (zoomed and moved). Text and
// lines keep their sizes while the room grows; the legend keeps its fitted place, the room shows
// beside it only, and the axes' labels keep to the edges of what shows of the room.
void paintPlan(QPainter& painter, const QRectF& target, const PlanScene& scene,
               const PlanMapping* view = nullptr, std::vector<QRectF>* labels = nullptr);

// Where the room's corner (0,0) and 1 m land for a target: used by the window for hit tests.
// It agrees with paintPlan on any device of the screen's logical resolution.
PlanMapping planMapping(const QRectF& target, const PlanScene& scene);

} // namespace pa
