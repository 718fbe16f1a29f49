#pragma once

#include "core/parameters.h"
#include "core/record.h"

#include <array>

// The record as the window leaves it before it is first shown.
inline pa::CalculationRecord startRecord() {
    pa::CalculationRecord record;
    pa::applyStartValues(record);
    return record;
}

// Every field of the record, in its declared order.
inline const std::array<pa::RecordValue pa::CalculationRecord::*, 20> kRecordFields{
    &pa::CalculationRecord::MsgAnswer,    &pa::CalculationRecord::SpeakerPower,
    &pa::CalculationRecord::SpeakerSpl,   &pa::CalculationRecord::RoomNoise,
    &pa::CalculationRecord::PowerFactor,  &pa::CalculationRecord::RoomLength,
    &pa::CalculationRecord::RoomWidth,    &pa::CalculationRecord::MountHeight,
    &pa::CalculationRecord::ListenHeight, &pa::CalculationRecord::RoomArea,
    &pa::CalculationRecord::CoverArea,    &pa::CalculationRecord::TotalSpl,
    &pa::CalculationRecord::LevelMargin,  &pa::CalculationRecord::EffRange,
    &pa::CalculationRecord::OverlapLevel, &pa::CalculationRecord::CorridorSpan,
    &pa::CalculationRecord::SpeakerCount, &pa::CalculationRecord::PowerDb,
    &pa::CalculationRecord::DirAngle,     &pa::CalculationRecord::DirCoef};
