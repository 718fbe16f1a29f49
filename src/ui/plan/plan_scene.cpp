#include "ui/plan/plan_scene.h"

namespace pa {

PlanScene makeScene(const plan::PlanInputs& in, std::vector<plan::Speaker> speakers) {
    PlanScene scene;
    scene.inputs = in;
    scene.speakers = std::move(speakers);
    scene.figures = plan::figures(in, scene.speakers, scene.levels);
    if (!scene.levels.empty())
        scene.grid = plan::figureGrid(in.length, in.width);
    return scene;
}

QPointF PlanMapping::toScreen(double x, double y) const {
    return {origin.x() + x * pixelsPerMetre, origin.y() - y * pixelsPerMetre};
}

QPointF PlanMapping::toRoom(QPointF p) const {
    return {(p.x() - origin.x()) / pixelsPerMetre, (origin.y() - p.y()) / pixelsPerMetre};
}

int speakerAt(const PlanScene& scene, const PlanMapping& mapping, QPointF point, double reach) {
    int nearest = -1;
    double best = reach * reach;
    for (std::size_t i = 0; i < scene.speakers.size(); ++i) {
        const QPointF d = mapping.toScreen(scene.speakers[i].x, scene.speakers[i].y) - point;
        const double distance = QPointF::dotProduct(d, d);
        if (distance <= best) {
            best = distance;
            nearest = static_cast<int>(i);
        }
    }
    return nearest;
}

} // namespace pa
