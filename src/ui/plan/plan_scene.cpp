#include "ui/plan/plan_scene.h"
#include "ui/qt_text.h"

#include <iterator>

namespace pa {

PlanScene makeScene(const plan::PlanInputs& in, std::vector<plan::Speaker> speakers,
                    const plan::RoomChecks& checks) {
    PlanScene scene;
    scene.inputs = in;
    scene.speakers = std::move(speakers);
    if (!scene.speakers.empty() && scene.speakers.size() <= plan::kMaxDrawnSpeakers) {
        scene.grid = plan::figureGrid(in.length, in.width);
        scene.levels = plan::levelMap(in, scene.speakers, scene.grid);
        if (checks.sleeping)
            scene.headLevels = plan::levelMap(plan::atHead(in, checks), scene.speakers, scene.grid);
    }
    if (scene.levels.empty())
        scene.grid = {};
    scene.figures =
        plan::figuresFromMap(in, scene.speakers, scene.levels, checks, &scene.headLevels);
    return scene;
}

plan::RoomChecks checksOf(const PlanScene& scene) {
    return plan::roomChecks(scene.setup, scene.room ? &*scene.room : nullptr);
}

void deriveMap(PlanScene& scene) {
    scene.shown = MapKind::Direct;
    scene.sti = {};
    scene.mapError.clear();
    if (scene.map == MapKind::Direct || scene.levels.empty() || !scene.room || !scene.room->ok())
        return;
    const plan::SoundField field =
        plan::soundField(scene.inputs, scene.speakers.size(), *scene.room);
    if (!field.ok()) {
        scene.mapError = field.error;
        return;
    }
    if (scene.map == MapKind::Total) {
        std::vector<float> total = plan::totalLevelMap(field, scene.levels);
        if (total.empty())
            return;
        scene.levels = std::move(total);
        plan::RoomChecks checks = checksOf(scene);
        checks.reverberant = field.reverberantLevelA;
        scene.figures = plan::figuresFromMap(scene.inputs, scene.speakers, scene.levels, checks,
                                             &scene.headLevels);
        scene.shown = MapKind::Total;
        return;
    }
    const plan::Speech speech = plan::speechOf(field, plan::noiseOf(scene.inputs, scene.setup),
                                               scene.decimalSeparator.toStdString());
    if (!speech.ok()) {
        scene.mapError = speech.error;
        return;
    }
    std::vector<float> sti = plan::stiMap(speech, scene.levels);
    if (sti.empty())
        return;
    scene.sti = plan::stiFigures(scene.grid, sti, scene.levels, field);
    scene.levels = std::move(sti);
    scene.shown = MapKind::Sti;
}

std::vector<plan::FigureRow> sceneRows(const PlanScene& scene) {
    const std::string separator = scene.decimalSeparator.toStdString();
    std::vector<plan::FigureRow> rows = plan::figureRows(scene.inputs, scene.figures, separator);
    if (scene.shown != MapKind::Sti)
        return rows;
    for (plan::FigureRow& row : rows)
        row.worstPoint = false;
    std::vector<plan::FigureRow> sti = plan::stiRows(scene.sti, separator);
    sti.insert(sti.end(), std::make_move_iterator(rows.begin()),
               std::make_move_iterator(rows.end()));
    return sti;
}

MapLegend legendOf(const PlanScene& scene) {
    if (scene.shown == MapKind::Sti) {
        const QString good =
            qs(plan::fixedText(plan::kStiGood, 2, scene.decimalSeparator.toStdString()));
        return {QStringLiteral("STI"), std::pair{0.0, 1.0}, plan::kStiGood,
                QStringLiteral("STI = ") + good, true};
    }
    return {QStringLiteral("Уровень, дБ"), std::nullopt, scene.figures.target,
            QStringLiteral("T = ") +
                qs(plan::fixedText(scene.figures.target, 1, scene.decimalSeparator.toStdString())) +
                QStringLiteral(" дБ"),
            false};
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
