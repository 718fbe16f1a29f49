#pragma once

#include "core/speaker_type.h"

#include <array>
#include <optional>
#include <string_view>

namespace pa {

struct CatalogueEntry {
    std::string_view code;    // list text; the last entry is the manual-entry item
    SpeakerType type;         // its letter is typeLetter(type)
    std::optional<int> power; // W; none for the manual-entry item
    std::optional<int> spl;   // dB at 1 W and 1 m; none for the manual-entry item
};

inline constexpr std::string_view kOtherItem = "ПРОЧИЕ";

// The model list in the order the user sees it: 33 models, then the manual-entry item.
extern const std::array<CatalogueEntry, 34> kCatalogue;

// The manual-entry item's place in the model list.
inline constexpr std::size_t kModelOtherPosition = kCatalogue.size() - 1;

// Power and sensitivity of the model with exactly this code (case-sensitive, no trimming);
// no value for any other text, the manual-entry item included.
std::optional<int> ModelPower(std::string_view code);
std::optional<int> ModelSpl(std::string_view code);

} // namespace pa
