#include "data/catalogue.h"

#include <algorithm>

namespace pa {

namespace {
constexpr auto C = SpeakerType::Ceiling;
constexpr auto W = SpeakerType::Wall;
constexpr auto H = SpeakerType::Horn;
} // namespace

const std::array<CatalogueEntry, 34> kCatalogue{{
    {"KLT-7", W, 1, 90},    {"TD-13", C, 3, 90},
    {"TD-15", C, 5, 91},    {"TD-19", C, 10, 92},
    {"VR-23", C, 3, 90},    {"VR-25", C, 5, 91},
    {"VR-29", C, 15, 98},   {"PLN-33", W, 3, 89},
    {"PLN-36", W, 10, 90},  {"TD-401", W, 10, 89},
    {"TD-402", W, 20, 90},  {"TD-403", W, 30, 91},
    {"TD-404", W, 40, 93},  {"TD-501", W, 10, 93},
    {"TD-502", W, 20, 96},  {"TD-503", W, 30, 96},
    {"TD-504", W, 40, 99},  {"TD-601", W, 10, 88},
    {"TD-602", W, 20, 90},  {"TD-603", W, 30, 91},
    {"TD-604", W, 40, 93},  {"GW-61", H, 20, 95},
    {"GW-62", H, 30, 95},   {"BQ-72", H, 20, 104},
    {"BQ-73", H, 30, 105},  {"BQ-75", H, 50, 107},
    {"BQ-73K", H, 30, 105}, {"BQ-74K", H, 40, 106},
    {"NE-83", W, 30, 89},   {"NE-85", W, 50, 90},
    {"NE-86", W, 60, 91},   {"NE-89", W, 100, 92},
    {"VR-28", W, 20, 90},   {kOtherItem, C, std::nullopt, std::nullopt},
}};

namespace {
const CatalogueEntry* findModel(std::string_view code) {
    // The manual-entry item has no values, so it answers "no value" like any unknown text.
    const auto it = std::find_if(kCatalogue.begin(), kCatalogue.end(),
                                 [code](const CatalogueEntry& e) { return e.code == code; });
    return it == kCatalogue.end() ? nullptr : &*it;
}
} // namespace

std::optional<int> ModelPower(std::string_view code) {
    const CatalogueEntry* entry = findModel(code);
    return entry ? entry->power : std::nullopt;
}

std::optional<int> ModelSpl(std::string_view code) {
    const CatalogueEntry* entry = findModel(code);
    return entry ? entry->spl : std::nullopt;
}

} // namespace pa
