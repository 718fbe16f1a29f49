// The room plan under the edits of its window: a record filled with numbers (or their texts)
// from the bytes, the plan inputs planInputs takes from it, or when it refuses them the same
// numbers put into the inputs directly, a layout, then moves, additions, deletions and new
// layouts, with figures, map, drawing and positions checked after each.
//
// A number takes two bytes, little end first: below 0x8000 a 64th of their value, else the
// next eight bytes as a double, any bit pattern. An edit takes one byte (its kind modulo 4)
// and what that kind needs; the bytes run out as zeros.
#include "check.h"
#include "core/numbers.h"
#include "plan_check.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

using pa::fuzz::require;

namespace {

class Bytes {
public:
    Bytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }
    std::uint16_t word() {
        const std::uint8_t low = byte();
        return static_cast<std::uint16_t>(low | byte() << 8);
    }
    double number() {
        const std::uint16_t w = word();
        if (w < 0x8000)
            return w / 64.0;
        std::array<std::uint8_t, sizeof(double)> raw{};
        for (std::uint8_t& b : raw)
            b = byte();
        return std::bit_cast<double>(raw);
    }
    bool done() const { return at_ >= size_; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

constexpr std::array kTypes{pa::SpeakerType::Ceiling, pa::SpeakerType::Wall, pa::SpeakerType::Horn};
constexpr std::array kMethods{pa::plan::Method::ByCount, pa::plan::Method::EdgeToEdge,
                              pa::plan::Method::MinimumOverlap, pa::plan::Method::EdgeToCentre,
                              pa::plan::Method::OneWall};
constexpr std::array kWalls{pa::plan::Wall::None, pa::plan::Wall::Near, pa::plan::Wall::Far};
// Enough edits to reach any state a few steps away; more only slow each input down.
constexpr int kMaxEdits = 24;

// Fills one field, as a number or as the text the window would have left in it.
double fill(pa::RecordValue& field, double value, bool asText, std::string_view separator) {
    if (asText)
        field = pa::numberText(value, separator);
    else
        field = value;
    return value;
}

// The inputs that planInputs refused, taken as they are: the plan's functions must still keep
// their own promises on them.
pa::plan::PlanInputs rawInputs(const pa::CalculationRecord& r, pa::SpeakerType type) {
    pa::plan::PlanInputs in;
    in.type = type;
    in.length = r.RoomLength.number();
    in.width = r.RoomWidth.number();
    in.mountHeight = r.MountHeight.number();
    in.listenHeight = r.ListenHeight.number() / 100;
    in.dirCoef = r.DirCoef.number();
    in.totalSpl = r.TotalSpl.number();
    in.effRange = r.EffRange.number();
    const double count = r.SpeakerCount.number();
    in.count = std::isfinite(count) ? static_cast<int>(std::clamp(count, -1.0, 5000.0)) : 0;
    in.roomNoise = r.RoomNoise.number();
    in.overlap = r.OverlapLevel.number();
    in.speakerWatts = r.SpeakerPower.number() * r.PowerFactor.number();
    return in;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Bytes bytes(data, size);
    const std::uint8_t head = bytes.byte();
    const pa::SpeakerType type = kTypes[head % kTypes.size()];
    const std::string separator = head & 0x80 ? "," : ".";
    const bool asText = (head & 0x40) != 0;

    pa::CalculationRecord record;
    for (pa::RecordValue pa::CalculationRecord::*field :
         {&pa::CalculationRecord::RoomLength, &pa::CalculationRecord::RoomWidth,
          &pa::CalculationRecord::MountHeight, &pa::CalculationRecord::ListenHeight,
          &pa::CalculationRecord::DirCoef, &pa::CalculationRecord::TotalSpl,
          &pa::CalculationRecord::EffRange, &pa::CalculationRecord::SpeakerCount,
          &pa::CalculationRecord::RoomNoise, &pa::CalculationRecord::OverlapLevel,
          &pa::CalculationRecord::SpeakerPower, &pa::CalculationRecord::PowerFactor})
        fill(record.*field, bytes.number(), false, separator);
    // The count is a whole number as the calculation stores it, a 64th only when mistyped.
    record.SpeakerCount = std::floor(record.SpeakerCount.number() * (head & 0x20 ? 64 : 1));
    const pa::plan::PlanInputs raw = rawInputs(record, type);
    if (asText)
        for (const auto field : pa::kRecordFields)
            if ((record.*field).isNumber())
                fill(record.*field, (record.*field).number(), true, separator);

    const auto accepted = pa::plan::planInputs(record, type, separator);
    const pa::plan::PlanInputs in = accepted ? *accepted : raw;
    // Texts keep 15 digits, so only numbers read back exactly.
    if (accepted && !asText)
        require(accepted->type == type && accepted->length == raw.length &&
                    accepted->width == raw.width && accepted->mountHeight == raw.mountHeight,
                "planInputs changed a number it only had to read");

    pa::plan::Method method = kMethods[bytes.byte() % kMethods.size()];
    pa::fuzz::Speakers speakers = pa::plan::layOut(in, method);
    pa::fuzz::checkLayout(in, method, speakers, accepted.has_value());
    std::uint32_t seed = 0;
    pa::fuzz::checkPlan(in, speakers, accepted.has_value(), seed, separator);

    // Places as the window's drag and position fields give them: mostly within the room or
    // a little beyond, sometimes any double at all.
    const auto place = [&](double side) {
        const std::uint16_t w = bytes.word();
        if (w < 0x8000)
            return side * (w / 16384.0 - 0.25);
        std::array<std::uint8_t, sizeof(double)> raw8{};
        for (std::uint8_t& b : raw8)
            b = bytes.byte();
        return std::bit_cast<double>(raw8);
    };
    for (int edit = 0; edit < kMaxEdits && !bytes.done(); ++edit) {
        const std::uint8_t kind = bytes.byte();
        const std::size_t index = bytes.byte();
        switch (kind % 4) {
        case 0:
            if (!speakers.empty()) {
                pa::plan::Speaker& s = speakers[index % speakers.size()];
                s.x = place(in.length);
                s.y = place(in.width);
            }
            break;
        case 1: {
            const double x = place(in.length);
            const double y = place(in.width);
            speakers.push_back({x, y, kWalls[index % kWalls.size()]});
            break;
        }
        case 2:
            if (!speakers.empty())
                speakers.erase(speakers.begin() +
                               static_cast<std::ptrdiff_t>(index % speakers.size()));
            break;
        default:
            method = kMethods[index % kMethods.size()];
            speakers = pa::plan::layOut(in, method);
            pa::fuzz::checkLayout(in, method, speakers, accepted.has_value());
            break;
        }
        pa::fuzz::checkPlan(in, speakers, accepted.has_value(), ++seed, separator);
    }
    return 0;
}
