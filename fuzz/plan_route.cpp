// The room plan reached as the window reaches it: list picks and typed field texts, the
// coverage calculation, planInputs, then a layout by every method with its figures, map,
// drawing and positions. One command per line:
//
//   M<b>  R<b>               model and room list picks, item b modulo the list's length
//   D<b>  O<b>  L<b>          directivity, overlap level and listening height list picks
//   T<b>                     type option b modulo 3, enabled only with the manual-entry model
//   P<text> S<text> N<text>  power, sensitivity and noise fields
//   H<text> X<text> Y<text>  height, length and width fields
//   G<b>                     gradation b modulo 4 (0: none selected)
//   E<c>                     decimal separator ',' when c is ',' else '.'
//   C                        calculate; a completed calculation opens the plan
#include "check.h"
#include "core/coverage.h"
#include "core/parameters.h"
#include "data/catalogue.h"
#include "data/presets.h"
#include "plan_check.h"

#include <algorithm>
#include <array>
#include <string>
#include <string_view>

using pa::fuzz::require;

namespace {

constexpr std::array kTypes{pa::SpeakerType::Ceiling, pa::SpeakerType::Wall, pa::SpeakerType::Horn};
constexpr std::array kMethods{pa::plan::Method::ByCount, pa::plan::Method::EdgeToEdge,
                              pa::plan::Method::MinimumOverlap, pa::plan::Method::EdgeToCentre,
                              pa::plan::Method::OneWall};

// The window's state between events: the fields, the options and the record.
struct Window {
    pa::CalculationRecord record;
    pa::CoverageInputs fields;
    pa::SpeakerType type = pa::SpeakerType::Ceiling;
    bool manualModel = false;
    std::string separator = ".";
};

template <typename List> const auto& pick(const List& list, std::string_view rest) {
    return list[rest.empty() ? 0 : static_cast<unsigned char>(rest.front()) % list.size()];
}

void switchType(Window& w, pa::SpeakerType type) {
    w.type = type;
    w.fields.ceiling = type == pa::SpeakerType::Ceiling;
    pa::applyTypeDefault(w.record, type);
}

void pickModel(Window& w, const pa::CatalogueEntry& entry) {
    w.manualModel = !entry.power;
    if (w.manualModel)
        return;
    w.fields.power = std::to_string(*entry.power);
    w.fields.sensitivity = std::to_string(entry.spl.value_or(0));
    switchType(w, entry.type);
}

void openPlan(const Window& w, std::string_view script) {
    const auto in = pa::plan::planInputs(w.record, w.type, w.separator);
    if (!in)
        return;
    require(in->type == w.type && in->count >= 1, "plan inputs of another type or no count",
            script);
    std::uint32_t seed = 0;
    for (const char c : script)
        seed = seed * 31 + static_cast<unsigned char>(c);
    for (const pa::plan::Method method : kMethods) {
        const pa::fuzz::Speakers speakers = pa::plan::layOut(*in, method);
        pa::fuzz::checkLayout(*in, method, speakers, true);
        pa::fuzz::checkPlan(*in, speakers, true, seed++, w.separator);
    }
}

std::vector<std::string_view> lines(std::string_view text) {
    std::vector<std::string_view> out;
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        out.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view script = pa::fuzz::textOf(data, size);
    Window w;
    pa::applyStartValues(w.record);
    pickModel(w, *std::find_if(pa::kCatalogue.begin(), pa::kCatalogue.end(),
                               [](const auto& e) { return e.code == pa::kStartModel; }));
    w.fields.noise = std::to_string(
        std::find_if(pa::kRoomPresets.begin(), pa::kRoomPresets.end(), [](const auto& r) {
            return r.name == pa::kStartRoom;
        })->noiseDb);
    for (const std::string_view line : lines(script)) {
        if (line.empty())
            continue;
        const std::string_view rest = line.substr(1);
        switch (line.front()) {
        case 'M':
            pickModel(w, pick(pa::kCatalogue, rest));
            break;
        case 'R':
            w.fields.noise = std::to_string(pick(pa::kRoomPresets, rest).noiseDb);
            break;
        case 'D':
            pa::applyDirectivity(w.record, pick(pa::kDirectivityItems, rest));
            break;
        case 'O':
            pa::applyOverlapLevel(w.record, pick(pa::kOverlapItems, rest));
            break;
        case 'L':
            pa::applyListenHeight(w.record, pick(pa::kListenHeightItems, rest));
            break;
        case 'T':
            if (w.manualModel)
                switchType(w, pick(kTypes, rest));
            break;
        case 'P':
            w.fields.power = std::string(rest);
            break;
        case 'S':
            w.fields.sensitivity = std::string(rest);
            break;
        case 'N':
            w.fields.noise = std::string(rest);
            break;
        case 'H':
            w.fields.height = std::string(rest);
            break;
        case 'X':
            w.fields.length = std::string(rest);
            break;
        case 'Y':
            w.fields.width = std::string(rest);
            break;
        case 'G':
            w.fields.gradation = rest.empty() ? 1 : static_cast<unsigned char>(rest.front()) % 4;
            break;
        case 'E':
            w.separator = rest.starts_with(',') ? "," : ".";
            break;
        case 'C':
            if (!pa::calculateCoverage(w.fields, w.record, w.separator).stop)
                openPlan(w, script);
            break;
        default:
            break;
        }
    }
    return 0;
}
