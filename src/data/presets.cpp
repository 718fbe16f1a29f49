#include "data/presets.h"

#include "data/catalogue.h"

namespace pa {

const std::array<RoomPreset, 15> kRoomPresets{{
    {"БОЛЬНИЦА", 20},
    {"МАГАЗИН", 30},
    {"ТЕАТР", 40},
    {"ЦЕРКОВЬ", 45},
    {"ПАРК", 50},
    {"ПЛЯЖ", 60},
    {"СУПЕРМАРКЕТ", 65},
    {"АВТОСТОЯНКА", 70},
    {"СПОРТЗАЛ", 75},
    {"РЕСТОРАН", 80},
    {"Ж Д СТАНЦИЯ", 90},
    {"СТАДИОН", 100},
    {"ТЯЖ ПРОМЫШ", 110},
    {"ГРОМ", 120},
    {kOtherItem, 60},
}};

const std::array<std::string_view, 17> kDirectivityItems{"10",  "20",  "30",  "40",  "50",  "60",
                                                         "70",  "80",  "90",  "100", "110", "120",
                                                         "130", "140", "150", "160", "170"};

const std::array<std::string_view, 8> kOverlapItems{"3", "4", "5", "6", "7", "8", "9", "10"};

const std::array<std::string_view, 8> kListenHeightItems{"120", "130", "140", "150",
                                                         "160", "170", "180", "190"};

} // namespace pa
