#pragma once

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
};

} // namespace pa
