#pragma once

#include "core/parameters.h"
#include "core/record.h"

// The record as the window leaves it before it is first shown.
inline pa::CalculationRecord startRecord() {
    pa::CalculationRecord record;
    pa::applyStartValues(record);
    return record;
}
