// The coverage calculation and the attenuation tool driven by a small script, one command per
// line, against one record that lives through the whole input as the window's does:
//
//   S                      start values of the parameters
//   D<text>  O<text>  L<text>   directivity, overlap level, listening height picks
//   T<k>                   type default; k modulo 3 gives ceiling, wall, horn
//   C<g><t><s><fields>     calculation: gradation g ('0' to '3', other bytes modulo 4), ceiling
//                          when t is 'c', separator ',' when s is ',' else '.', then the texts
//                          of power, sensitivity, noise, height, length and width split by '|'
//   A<s><text>             attenuation of a distance text, separator as above
#include "core/coverage.h"
#include "check.h"
#include "core/messages.h"
#include "core/numbers.h"
#include "core/parameters.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <span>
#include <vector>

using pa::Field;
using pa::fuzz::isDigit;
using pa::fuzz::require;

namespace {

enum class Applies { Any, Ceiling, WallOrHorn };

struct KnownStop {
    std::string_view message;
    Field focus;
    Applies applies;
};

constexpr std::array kCoverageStops{
    KnownStop{pa::msg::PowerMissing, Field::Power, Applies::Any},
    KnownStop{pa::msg::PowerTooSmall, Field::Power, Applies::Any},
    KnownStop{pa::msg::PowerTooLarge, Field::Power, Applies::Any},
    KnownStop{pa::msg::SensitivityMissing, Field::Sensitivity, Applies::Any},
    KnownStop{pa::msg::SensitivityInvalid, Field::Sensitivity, Applies::Any},
    KnownStop{pa::msg::NoiseMissing, Field::Noise, Applies::Any},
    KnownStop{pa::msg::NoiseInvalid, Field::Noise, Applies::Any},
    KnownStop{pa::msg::CeilingMissing, Field::Height, Applies::Ceiling},
    KnownStop{pa::msg::MountMissing, Field::Height, Applies::WallOrHorn},
    KnownStop{pa::msg::LengthMissing, Field::Length, Applies::Any},
    KnownStop{pa::msg::WidthMissing, Field::Width, Applies::Any},
    KnownStop{pa::msg::SpeakerTooWeak, Field::None, Applies::Any},
    KnownStop{pa::msg::CeilingTooLow, Field::None, Applies::Ceiling},
    KnownStop{pa::msg::MountTooLow, Field::None, Applies::WallOrHorn},
    KnownStop{pa::msg::OutOfRange, Field::None, Applies::Any},
};

constexpr std::array kAttenuationStops{
    KnownStop{pa::msg::DistanceMissing, Field::Distance, Applies::Any},
    KnownStop{pa::msg::DistanceInvalid, Field::Distance, Applies::Any},
};

bool plainWholeNumber(std::string_view caption) {
    if (caption.starts_with('-'))
        caption.remove_prefix(1);
    return !caption.empty() && std::all_of(caption.begin(), caption.end(), isDigit);
}

void checkStop(const pa::Stop& stop, std::span<const KnownStop> known, bool ceiling,
               std::string_view line) {
    const auto it = std::find_if(known.begin(), known.end(),
                                 [&](const KnownStop& k) { return k.message == stop.message; });
    require(it != known.end(), "stop message is not one of the system's", line);
    require(it->focus == stop.focus, "stop puts the focus on the wrong field", line);
    require(it->applies == Applies::Any || (it->applies == Applies::Ceiling) == ceiling,
            "stop message of the other loudspeaker type", line);
}

// Only the parameter picks may leave a value a double cannot hold (a text of hundreds of
// digits, which the window's lists never offer); the calculation must never store one.
void checkRecord(const pa::CalculationRecord& before, const pa::CalculationRecord& after,
                 std::string_view line) {
    for (const auto field : pa::kRecordFields) {
        const pa::RecordValue& value = after.*field;
        if (value.isNumber() && !std::isfinite(value.number()))
            require(value == before.*field, "calculation stored a non-finite number", line);
    }
}

std::string_view separatorOf(char code) {
    return code == ',' ? "," : ".";
}

std::vector<std::string_view> split(std::string_view text, char at) {
    std::vector<std::string_view> parts;
    for (std::size_t start = 0;;) {
        const std::size_t end = text.find(at, start);
        parts.push_back(text.substr(start, end - start));
        if (end == std::string_view::npos)
            return parts;
        start = end + 1;
    }
}

void calculate(pa::CalculationRecord& record, std::string_view line) {
    const std::string_view header = line.substr(0, 3);
    const char gradationCode = header.size() > 0 ? header[0] : '1';
    pa::CoverageInputs in;
    in.gradation = isDigit(gradationCode) ? (gradationCode - '0') % 4
                                          : static_cast<unsigned char>(gradationCode) % 4;
    in.ceiling = header.size() > 1 && header[1] == 'c';
    const std::string_view sep = separatorOf(header.size() > 2 ? header[2] : '.');
    const auto parts = split(line.substr(header.size()), '|');
    std::array<std::string*, 6> texts{&in.power,  &in.sensitivity, &in.noise,
                                      &in.height, &in.length,      &in.width};
    for (std::size_t i = 0; i < texts.size() && i < parts.size(); ++i)
        *texts[i] = std::string(parts[i]);

    const pa::CalculationRecord before = record;
    const pa::CoverageOutcome out = pa::calculateCoverage(in, record, sep);

    for (const std::string& caption : out.results)
        require(caption.empty() || plainWholeNumber(caption), "result caption is not plain digits",
                line);
    if (out.stop) {
        checkStop(*out.stop, kCoverageStops, in.ceiling, line);
        for (const std::string& caption : out.results)
            require(caption.empty(), "result shown beside a stop", line);
    } else {
        require(out.area.has_value(), "finished calculation without a room area", line);
        for (const std::string& caption : out.results)
            require(!caption.empty(), "finished calculation with an empty result", line);
    }
    if (out.area) {
        require(pa::parseNumber(*out.area, sep).has_value(),
                "room-area caption does not convert back", line);
        require(*out.area == pa::roomAreaText(in.length, in.width, sep),
                "room-area caption differs from the timer's", line);
        require(record.RoomArea.text() == *out.area, "record keeps another room area", line);
    }
    checkRecord(before, record, line);

    // The calculation reads nothing an earlier one left behind, so repeating it on the record
    // it produced must give the same outcome and the same record.
    pa::CalculationRecord again = record;
    const pa::CoverageOutcome repeated = pa::calculateCoverage(in, again, sep);
    require(repeated.area == out.area && repeated.stop == out.stop &&
                repeated.results == out.results,
            "repeating the calculation changed its outcome", line);
    require(again == record, "repeating the calculation changed the record", line);
}

void attenuate(std::string_view line) {
    const std::string_view sep = separatorOf(line.empty() ? '.' : line.front());
    const std::string_view distance = line.empty() ? line : line.substr(1);
    const pa::AttenuationOutcome out = pa::calculateAttenuation(distance, sep);
    if (out.stop) {
        checkStop(*out.stop, kAttenuationStops, false, line);
        require(out.caption.empty(), "attenuation shown beside a stop", line);
    } else {
        require(plainWholeNumber(out.caption), "attenuation caption is not plain digits", line);
    }
}

pa::SpeakerType typeOf(std::string_view line) {
    constexpr std::array kTypes{pa::SpeakerType::Ceiling, pa::SpeakerType::Wall,
                                pa::SpeakerType::Horn};
    return kTypes[line.empty() ? 0 : static_cast<unsigned char>(line.front()) % kTypes.size()];
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    pa::CalculationRecord record;
    pa::applyStartValues(record);
    for (const std::string_view line : split(pa::fuzz::textOf(data, size), '\n')) {
        if (line.empty())
            continue;
        const std::string_view rest = line.substr(1);
        switch (line.front()) {
        case 'S':
            pa::applyStartValues(record);
            break;
        case 'D':
            pa::applyDirectivity(record, rest);
            break;
        case 'O':
            pa::applyOverlapLevel(record, rest);
            break;
        case 'L':
            pa::applyListenHeight(record, rest);
            break;
        case 'T':
            pa::applyTypeDefault(record, typeOf(rest));
            break;
        case 'C':
            calculate(record, rest);
            break;
        case 'A':
            attenuate(rest);
            break;
        default:
            break;
        }
    }
    return 0;
}
