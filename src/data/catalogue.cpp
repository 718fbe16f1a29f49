#include "data/catalogue.h"

#include <algorithm>

namespace pa {

namespace {
constexpr auto C = SpeakerType::Ceiling;
constexpr auto W = SpeakerType::Wall;
constexpr auto H = SpeakerType::Horn;
} // namespace

const std::array<CatalogueEntry, 34> kCatalogue{{
    {"KLT-7", "Н", W, 1, 90},    {"TD-13", "П", C, 3, 90},
    {"TD-15", "П", C, 5, 91},    {"TD-19", "П", C, 10, 92},
    {"VR-23", "П", C, 3, 90},    {"VR-25", "П", C, 5, 91},
    {"VR-29", "П", C, 15, 98},   {"PLN-33", "Н", W, 3, 89},
    {"PLN-36", "Н", W, 10, 90},  {"TD-401", "Н", W, 10, 89},
    {"TD-402", "Н", W, 20, 90},  {"TD-403", "Н", W, 30, 91},
    {"TD-404", "Н", W, 40, 93},  {"TD-501", "Н", W, 10, 93},
    {"TD-502", "Н", W, 20, 96},  {"TD-503", "Н", W, 30, 96},
    {"TD-504", "Н", W, 40, 99},  {"TD-601", "Н", W, 10, 88},
    {"TD-602", "Н", W, 20, 90},  {"TD-603", "Н", W, 30, 91},
    {"TD-604", "Н", W, 40, 93},  {"GW-61", "Р", H, 20, 95},
    {"GW-62", "Р", H, 30, 95},   {"BQ-72", "Р", H, 20, 104},
    {"BQ-73", "Р", H, 30, 105},  {"BQ-75", "Р", H, 50, 107},
    {"BQ-73K", "Р", H, 30, 105}, {"BQ-74K", "Р", H, 40, 106},
    {"NE-83", "Н", W, 30, 89},   {"NE-85", "Н", W, 50, 90},
    {"NE-86", "Н", W, 60, 91},   {"NE-89", "Н", W, 100, 92},
    {"VR-28", "Н", W, 20, 90},   {kOtherItem, "П", C, std::nullopt, std::nullopt},
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
