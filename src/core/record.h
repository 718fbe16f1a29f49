#pragma once

#include <array>
#include <string>
#include <string_view>
#include <variant>

namespace pa {

// One field of the calculation record: unset, a number or a text. The kind decides how the
// report prints it, so a text keeps the exact form it was taken in.
class RecordValue {
public:
    RecordValue() = default;
    RecordValue(double number) : value_(number) {}
    RecordValue(std::string text) : value_(std::move(text)) {}
    RecordValue(const char* text) : value_(std::string(text)) {}

    bool isUnset() const { return std::holds_alternative<std::monostate>(value_); }
    bool isNumber() const { return std::holds_alternative<double>(value_); }
    bool isText() const { return std::holds_alternative<std::string>(value_); }

    // The number, or 0 for an unset field. Only meaningful for number fields.
    double number() const;
    // The text of a text field, "" otherwise.
    const std::string& text() const;

    // As the report prints it: a number as number text, a text unchanged, unset as nothing.
    std::string print(std::string_view decimalSeparator) const;

    friend bool operator==(const RecordValue&, const RecordValue&) = default;

private:
    std::variant<std::monostate, double, std::string> value_;
};

// The values the window's handlers share between events. Fields are in their declared order;
// a stopped calculation leaves the fields it reached new and all others as they were.
struct CalculationRecord {
    RecordValue MsgAnswer;
    RecordValue SpeakerPower;
    RecordValue SpeakerSpl;
    RecordValue RoomNoise;
    RecordValue PowerFactor;
    RecordValue RoomLength;
    RecordValue RoomWidth;
    RecordValue MountHeight;
    RecordValue ListenHeight;
    RecordValue RoomArea;
    RecordValue CoverArea;
    RecordValue TotalSpl;
    RecordValue LevelMargin;
    RecordValue EffRange;
    RecordValue OverlapLevel;
    RecordValue CorridorSpan;
    RecordValue SpeakerCount;
    RecordValue PowerDb;
    RecordValue DirAngle;
    RecordValue DirCoef;

    // Sets PowerDb to the power level of a whole number of watts.
    void Logdb(int watts);

    friend bool operator==(const CalculationRecord&, const CalculationRecord&) = default;
};

// Every field of the record, in its declared order.
inline constexpr std::array<RecordValue CalculationRecord::*, 20> kRecordFields{
    &CalculationRecord::MsgAnswer,    &CalculationRecord::SpeakerPower,
    &CalculationRecord::SpeakerSpl,   &CalculationRecord::RoomNoise,
    &CalculationRecord::PowerFactor,  &CalculationRecord::RoomLength,
    &CalculationRecord::RoomWidth,    &CalculationRecord::MountHeight,
    &CalculationRecord::ListenHeight, &CalculationRecord::RoomArea,
    &CalculationRecord::CoverArea,    &CalculationRecord::TotalSpl,
    &CalculationRecord::LevelMargin,  &CalculationRecord::EffRange,
    &CalculationRecord::OverlapLevel, &CalculationRecord::CorridorSpan,
    &CalculationRecord::SpeakerCount, &CalculationRecord::PowerDb,
    &CalculationRecord::DirAngle,     &CalculationRecord::DirCoef};

} // namespace pa
