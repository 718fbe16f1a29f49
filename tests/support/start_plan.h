#pragma once

#include "core/coverage.h"
#include "plan/plan.h"
#include "support/start_record.h"

#include <QtGlobal>

#include <string>

// The record the window holds after "РАСЧИТАТЬ" on the worked example it starts with.
inline pa::CalculationRecord calculatedStartRecord(const std::string& separator) {
    pa::CalculationRecord record = startRecord();
    if (pa::calculateCoverage(startFields(), record, separator).stop)
        qFatal("the worked example stopped");
    return record;
}

// The plan of the worked example: 5 ceiling loudspeakers in a 6 x 6 m room.
inline pa::plan::PlanInputs startPlan(const std::string& separator) {
    const auto in =
        pa::plan::planInputs(calculatedStartRecord(separator), pa::SpeakerType::Ceiling, separator);
    if (!in)
        qFatal("the worked example gives no plan");
    return *in;
}
