#pragma once

#include "plan/plan.h"
#include "report/report_format.h"
#include "ui/plan/plan_scene.h"

#include <QDate>
#include <QList>

namespace pa {

// What the exported documents show: the calculation as the report words it, and the plan.
struct PlanDocument {
    QList<ReportEntry> entries;
    PlanScene scene;
    QDate date;
    QString method{};        // the layout method's name as the method list shows it
    bool handEdited = false; // the user changed the layout since it was last laid out
    QString room{};          // the room's name in a project's document, which the title adds
};

struct RoomSheet;

// The layout method's name as the method list shows it, the wall added for one wall.
QString methodCaption(plan::Method method, plan::Wall wall);

// A room's sheet of a project as a document, its level map computed.
PlanDocument roomDocument(const RoomSheet& sheet);

} // namespace pa
