#pragma once

#include "core/coverage.h"
#include "core/parameters.h"
#include "core/record.h"

// The record as the window leaves it before it is first shown.
inline pa::CalculationRecord startRecord() {
    pa::CalculationRecord record;
    pa::applyStartValues(record);
    return record;
}

// The worked example as the window's fields and options start.
inline pa::CoverageInputs startFields() {
    return {"3", "90", "70", "3", "6", "6", 1, true};
}
