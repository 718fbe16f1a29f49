#pragma once

#include <array>
#include <string_view>

namespace pa {

struct RoomPreset {
    std::string_view name;
    int noiseDb;
};

// The room list in the order the user sees it; the last item is the manual-entry one.
extern const std::array<RoomPreset, 15> kRoomPresets;
inline constexpr std::size_t kRoomOtherPosition = kRoomPresets.size() - 1;

// The three parameter lists, with the text each shows at start.
extern const std::array<std::string_view, 17> kDirectivityItems;
extern const std::array<std::string_view, 8> kOverlapItems;
extern const std::array<std::string_view, 8> kListenHeightItems;
inline constexpr std::string_view kStartModel = "TD-13";
inline constexpr std::string_view kStartRoom = "АВТОСТОЯНКА";

} // namespace pa
