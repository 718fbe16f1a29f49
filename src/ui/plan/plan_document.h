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
    QString method;
    bool handEdited = false;
};

} // namespace pa
