#include "core/coverage.h"

#include "core/geometry.h"
#include "core/messages.h"
#include "core/numbers.h"

#include <climits>
#include <cmath>
#include <string>

namespace pa {

namespace {

// The room area as the fields read, for the calculation and the area timer alike.
double roomAreaOf(std::string_view length, std::string_view width) {
    return leadingNumber(length) * leadingNumber(width);
}

// Builds the outcome of a calculation step by step; the first failed step wins.
class Calculation {
public:
    Calculation(const CoverageInputs& inputs, CalculationRecord& record, std::string_view separator)
        : in_(inputs), rec_(record), sep_(separator) {}

    CoverageOutcome run();

private:
    // Each step returns false after recording its stop.
    bool stop(std::string_view message, Field focus = Field::None) {
        out_.stop = Stop{std::string(message), focus};
        return false;
    }
    // Guards every value before it is stored or shown: neither the labels nor the report may
    // ever carry "inf" or "nan".
    bool finite(double value) { return std::isfinite(value) || stop(msg::OutOfRange); }

    bool takeLeading(const std::string& text, std::string_view missing, Field field,
                     RecordValue& target);
    bool takeText(const std::string& text, std::string_view missing, std::string_view invalid,
                  Field field, RecordValue& target);

    bool powerGradation();
    bool inputs();
    bool powerLevel();
    bool roomArea();
    bool levels();
    bool ceiling(double listenLevel);
    bool wallOrHorn(double listenLevel);
    bool count(double rowLimit);

    const CoverageInputs& in_;
    CalculationRecord& rec_;
    std::string_view sep_;
    CoverageOutcome out_;
};

bool Calculation::takeLeading(const std::string& text, std::string_view missing, Field field,
                              RecordValue& target) {
    if (isMissing(text))
        return stop(missing, field);
    const double value = leadingNumber(text);
    if (!finite(value))
        return false;
    target = value;
    return true;
}

bool Calculation::takeText(const std::string& text, std::string_view missing,
                           std::string_view invalid, Field field, RecordValue& target) {
    if (isMissing(text))
        return stop(missing, field);
    // The text is kept as typed, but only once it is known to be a number: a pasted "90x"
    // would otherwise fail later with no field to point at.
    if (!parseNumber(text, sep_))
        return stop(invalid, field);
    target = text;
    return true;
}

bool Calculation::powerGradation() {
    switch (in_.gradation) {
    case 1:
        rec_.PowerFactor = 1.0;
        break;
    case 2:
        rec_.PowerFactor = 1.0 / 2;
        break;
    case 3:
        rec_.PowerFactor = 1.0 / 3;
        break;
    default:
        break; // no member selected: the factor of the previous calculation stays
    }
    return true;
}

bool Calculation::powerLevel() {
    const double watts = roundHalfEven(rec_.PowerFactor.number() * rec_.SpeakerPower.number());
    if (watts < 1)
        return stop(msg::PowerTooSmall, Field::Power);
    if (watts > INT_MAX)
        return stop(msg::PowerTooLarge, Field::Power);
    rec_.Logdb(static_cast<int>(watts));
    return true;
}

bool Calculation::inputs() {
    if (!takeLeading(in_.power, msg::PowerMissing, Field::Power, rec_.SpeakerPower) ||
        !powerLevel())
        return false;
    if (!takeText(in_.sensitivity, msg::SensitivityMissing, msg::SensitivityInvalid,
                  Field::Sensitivity, rec_.SpeakerSpl) ||
        !takeText(in_.noise, msg::NoiseMissing, msg::NoiseInvalid, Field::Noise, rec_.RoomNoise))
        return false;
    // The height is stored between its two checks, so a stop at the second leaves 0 behind.
    if (in_.ceiling && isMissing(in_.height))
        return stop(msg::CeilingMissing, Field::Height);
    const double height = leadingNumber(in_.height);
    if (!finite(height))
        return false;
    rec_.MountHeight = height;
    if (!in_.ceiling && isMissing(in_.height))
        return stop(msg::MountMissing, Field::Height);
    return takeLeading(in_.length, msg::LengthMissing, Field::Length, rec_.RoomLength) &&
           takeLeading(in_.width, msg::WidthMissing, Field::Width, rec_.RoomWidth);
}

bool Calculation::roomArea() {
    const double area = roomAreaOf(in_.length, in_.width);
    if (!finite(area))
        return false;
    out_.area = numberText(area, sep_);
    rec_.RoomArea = *out_.area;
    return true;
}

bool Calculation::levels() {
    // Both texts were checked when they were taken.
    const double spl = parseNumber(rec_.SpeakerSpl.text(), sep_).value_or(0);
    const double noise = parseNumber(rec_.RoomNoise.text(), sep_).value_or(0);
    const double totalSpl = wholePart(rec_.PowerDb.number() + spl);
    if (!finite(totalSpl))
        return false;
    rec_.TotalSpl = totalSpl;
    const double margin = totalSpl - (rec_.OverlapLevel.number() + noise);
    if (!finite(margin))
        return false;
    rec_.LevelMargin = margin;
    if (!(margin > rec_.OverlapLevel.number()))
        return stop(msg::SpeakerTooWeak);
    const double range = wholePart(std::pow(10.0, margin / 20)) + 1;
    if (!finite(range))
        return false;
    rec_.EffRange = range;
    return true;
}

bool Calculation::ceiling(double listenLevel) {
    const double height = rec_.MountHeight.number();
    if (height <= listenLevel)
        return stop(msg::CeilingTooLow);
    const double halfAngle = rec_.DirCoef.number() / 2;
    const double slant = slantRange(height - listenLevel, halfAngle);
    if (!finite(slant))
        return false;
    if (rec_.EffRange.number() < slant)
        return stop(msg::SpeakerTooWeak);
    const double radius = coverRadius(height - listenLevel, halfAngle);
    const double coverArea = wholePart(kApproxPi * (radius * radius)) + 1;
    const double rowLimit = wholePart(rec_.RoomLength.number() / (radius * 2)) + 1;
    if (!finite(coverArea) || !finite(rowLimit))
        return false;
    rec_.CoverArea = coverArea;
    return count(rowLimit);
}

bool Calculation::wallOrHorn(double listenLevel) {
    const double height = rec_.MountHeight.number();
    if (height <= listenLevel)
        return stop(msg::MountTooLow);
    const double drop = height - listenLevel;
    const double range = rec_.EffRange.number();
    if (drop > range)
        return stop(msg::SpeakerTooWeak);
    const double projected = wholePart(projectedRange(range, drop));
    if (!finite(projected))
        return false;
    rec_.EffRange = projected;
    const double dirCoef = rec_.DirCoef.number();
    // Left to right, as the sector formula has always been evaluated.
    const double coverArea =
        wholePart(kApproxPi * (projected * projected) * dirCoef / kApproxFullTurn) + 1;
    if (!finite(coverArea))
        return false;
    rec_.CoverArea = coverArea;
    const double span = wholePart(corridorHalfSpan(projected, dirCoef)) + 1;
    if (!finite(span))
        return false;
    rec_.CorridorSpan = span;
    const double rowLimit = wholePart(rec_.RoomLength.number() / (span * 2));
    if (!finite(rowLimit))
        return false;
    return count(rowLimit);
}

bool Calculation::count(double rowLimit) {
    const double area = parseNumber(rec_.RoomArea.text(), sep_).value_or(0);
    double speakers = area / rec_.CoverArea.number();
    if (!finite(speakers))
        return false;
    // Halves go up here, unlike the power rounding.
    const double below = wholePart(speakers);
    speakers = speakers >= below + 0.5 ? below + 1 : below;
    if (speakers == 0)
        speakers = 1;
    if (rowLimit > speakers)
        speakers = rowLimit;
    rec_.SpeakerCount = speakers;
    return true;
}

CoverageOutcome Calculation::run() {
    if (!powerGradation() || !inputs() || !roomArea() || !levels())
        return out_;
    const double listenLevel = rec_.ListenHeight.number() / 100;
    const bool done = in_.ceiling ? ceiling(listenLevel) : wallOrHorn(listenLevel);
    if (!done)
        return out_;
    out_.results = {
        numberText(rec_.TotalSpl.number(), sep_), numberText(rec_.EffRange.number(), sep_),
        numberText(rec_.CoverArea.number(), sep_), numberText(rec_.SpeakerCount.number(), sep_)};
    return out_;
}

} // namespace

CoverageOutcome calculateCoverage(const CoverageInputs& inputs, CalculationRecord& record,
                                  std::string_view decimalSeparator) {
    return Calculation(inputs, record, decimalSeparator).run();
}

std::string roomAreaText(std::string_view length, std::string_view width,
                         std::string_view decimalSeparator) {
    return numberText(roomAreaOf(length, width), decimalSeparator);
}

AttenuationOutcome calculateAttenuation(std::string_view distanceText,
                                        std::string_view decimalSeparator) {
    if (isMissing(distanceText))
        return {{}, Stop{std::string(msg::DistanceMissing), Field::Distance}};
    const auto distance = parseNumber(distanceText, decimalSeparator);
    if (!distance || *distance <= 0)
        return {{}, Stop{std::string(msg::DistanceInvalid), Field::Distance}};
    return {numberText(wholePart(20 * std::log10(*distance)), decimalSeparator), std::nullopt};
}

} // namespace pa
