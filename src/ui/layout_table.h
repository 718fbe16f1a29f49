#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace pa::layout {

// Positions and sizes are kept in twips as the window was designed; one logical pixel is 15
// twips, whatever the screen's physical resolution.
inline constexpr int kTwipsPerPixel = 15;
constexpr int pixels(int twips) {
    return twips / kTwipsPerPixel;
}

enum class Kind { Frame, Label, ResultLabel, TextBox, ComboBox, Option, Button, Picture };

// The window's fonts, all of one family at different sizes and weights.
enum class Font { F1, F2, F3, F4, F5, F6, F7, F8 };
inline constexpr std::size_t kFontCount = 8;

struct FontStyle {
    double pointSize;
    bool bold;
};

constexpr FontStyle fontStyle(Font font) {
    switch (font) {
    case Font::F1:
        return {8.25, false};
    case Font::F2:
        return {9.0, false};
    case Font::F3:
        return {9.0, true};
    case Font::F4:
        return {9.75, false};
    case Font::F5:
        return {9.75, true};
    case Font::F6:
        return {11.25, true};
    case Font::F7:
        return {12.0, false};
    case Font::F8:
        return {8.25, true};
    }
    return {9.75, false};
}

// Text colour of a caption, or the face of a button; System keeps the desktop's own.
enum class Colour { System, Black, DarkBlue, DarkGreen, Highlight, LightGreyFace };

struct Control {
    std::string_view name;
    Kind kind;
    std::string_view parent;      // empty: the window's client area
    int left, top, width, height; // twips, from the inside top-left corner of the parent
    int tab;                      // tab index, -1 for controls that have none
    Font font;
    Colour colour;
    std::string_view caption;
};

inline constexpr std::string_view kWindowName = "Form1";
inline constexpr std::string_view kWindowCaption =
    "Расчет эффективной дальности, площади и количества  громкоговорителей (версия 3)";
inline constexpr int kClientWidth = 9030;
inline constexpr int kClientHeight = 8145;
inline constexpr Font kWindowFont = Font::F4;
inline constexpr std::string_view kFontFamily = "Verdana";
// Verdana is missing on most free desktops; this one has the Cyrillic letters and a close width.
inline constexpr std::string_view kFallbackFontFamily = "DejaVu Sans";
// The substitute runs a little wider than Verdana; narrowed by this percentage, single words
// such as "Мощность" still fit the widths the captions were designed for.
inline constexpr int kFallbackStretch = 95;

using K = Kind;
using F = Font;
using C = Colour;

// Every control of the window. Window-level controls come first, bottom of the stacking order
// first, so that a control created later lies above the earlier ones; every parent precedes its
// children.
inline constexpr std::array<Control, 60> kControls{{
    // On the window.
    {"Frame1", K::Frame, "", 0, 0, 9015, 4935, 0, F::F7, C::DarkGreen, "Входные данные"},
    {"Frame2", K::Frame, "", 2040, 4920, 6975, 3135, 10, F::F7, C::DarkGreen, "Выходные данные"},
    {"Frame3", K::Frame, "", 120, 1920, 3735, 1455, 21, F::F1, C::Highlight,
     "Выберите тип громкоговорителя"},
    {"Frame4", K::Frame, "", 3960, 1560, 4935, 1815, 28, F::F1, C::Highlight,
     "Установите размеры помещения "},
    {"Frame5", K::Frame, "", 0, 4920, 1935, 3135, 41, F::F7, C::DarkGreen, "Зависимость"},
    {"Frame7", K::Frame, "", 120, 3480, 8775, 1335, 53, F::F1, C::Highlight,
     "Вы можете выбрать различные параметры"},
    {"CmbDn", K::ComboBox, "", 360, 4080, 1335, 360, 54, F::F4, C::System, ""},

    // Input data.
    {"Label10", K::Label, "Frame1", 120, 360, 2895, 255, 9, F::F1, C::DarkBlue,
     "Выберите громкоговоритель"},
    {"Label1", K::Label, "Frame1", 3000, 360, 855, 255, 6, F::F1, C::DarkBlue, "Мощность"},
    {"Label4", K::Label, "Frame1", 4200, 360, 3855, 255, 8, F::F1, C::DarkBlue,
     "Выберите или установите уровень шума"},
    {"CmbD", K::ComboBox, "Frame1", 120, 720, 2775, 330, 1, F::F3, C::System, ""},
    {"TxtPv", K::TextBox, "Frame1", 3000, 720, 855, 375, 2, F::F3, C::System, ""},
    {"CmbOn", K::ComboBox, "Frame1", 4080, 720, 2775, 330, 5, F::F3, C::System, ""},
    {"TxtN", K::TextBox, "Frame1", 7080, 720, 855, 375, 4, F::F3, C::System, ""},
    {"Label18", K::Label, "Frame1", 8040, 720, 495, 255, 27, F::F1, C::DarkBlue, "(дБ)"},
    {"Frame6", K::Frame, "Frame1", 120, 1080, 2775, 735, 47, F::F1, C::Highlight,
     "Градация мощности"},
    {"Label2", K::Label, "Frame1", 3000, 1200, 975, 255, 7, F::F1, C::DarkBlue, "SPL(1Вт/м)"},
    {"TxtPd", K::TextBox, "Frame1", 3000, 1440, 855, 375, 3, F::F3, C::System, ""},

    // Power gradation, left to right "1/3", "1/2", "1".
    {"Opt_1_3", K::Option, "Frame6", 120, 240, 615, 375, 49, F::F1, C::System, "1/3"},
    {"Opt_1_2", K::Option, "Frame6", 1080, 240, 615, 375, 50, F::F1, C::System, "1/2"},
    {"Opt_1_1", K::Option, "Frame6", 2040, 240, 495, 375, 48, F::F1, C::System, "1"},

    // Loudspeaker type.
    {"Opt1", K::Option, "Frame3", 120, 240, 2295, 375, 23, F::F1, C::System, "Потолочный"},
    {"Opt2", K::Option, "Frame3", 120, 600, 1935, 375, 22, F::F1, C::System, "Настенный"},
    {"Opt3", K::Option, "Frame3", 120, 960, 1935, 375, 46, F::F1, C::System, "Рупорный"},

    // Room dimensions.
    {"Label3", K::Label, "Frame4", 120, 360, 2055, 375, 33, F::F1, C::Black, "Высота потолков"},
    {"TxtH", K::TextBox, "Frame4", 2040, 360, 855, 375, 29, F::F3, C::System, ""},
    {"Label17", K::Label, "Frame4", 3000, 480, 375, 255, 30, F::F2, C::DarkBlue, "(м)"},
    {"Label15", K::Label, "Frame4", 3600, 480, 1095, 255, 32, F::F1, C::Black, "Площадь"},
    {"Label19", K::Label, "Frame4", 120, 840, 1815, 375, 36, F::F1, C::Black, "Длина"},
    {"TxtL", K::TextBox, "Frame4", 2040, 840, 855, 375, 34, F::F3, C::System, ""},
    {"LblSr", K::ResultLabel, "Frame4", 3480, 840, 1215, 375, 40, F::F3, C::System, ""},
    {"Label12", K::Label, "Frame4", 3000, 960, 375, 255, 35, F::F2, C::DarkBlue, "(м)"},
    {"Label21", K::Label, "Frame4", 120, 1320, 975, 375, 39, F::F1, C::Black, "Ширина"},
    {"TxtW", K::TextBox, "Frame4", 2040, 1320, 855, 375, 37, F::F3, C::System, ""},
    {"Label16", K::Label, "Frame4", 3840, 1320, 735, 375, 31, F::F2, C::DarkBlue, "(кв.м)"},
    {"Label20", K::Label, "Frame4", 3000, 1440, 375, 255, 38, F::F2, C::DarkBlue, "(м)"},

    // Optional parameters; their directivity list lies on the window above this frame.
    {"Label23", K::Label, "Frame7", 120, 360, 2535, 375, 55, F::F1, C::Black,
     "Диаграмма направленности           (Град)"},
    {"Label25", K::Label, "Frame7", 2760, 360, 2535, 375, 56, F::F1, C::Black,
     "Уровень перекрытия шума                (дБ)"},
    {"Label26", K::Label, "Frame7", 5760, 360, 2775, 495, 57, F::F1, C::Black,
     "Высота точки прослушивания               (См)"},
    {"CmbUPS", K::ComboBox, "Frame7", 3120, 840, 1335, 360, 58, F::F4, C::System, ""},
    {"CmbVP", K::ComboBox, "Frame7", 6120, 840, 1335, 360, 59, F::F4, C::System, ""},

    // Output data.
    {"Image1", K::Picture, "Frame2", 240, 360, 1500, 1500, -1, F::F4, C::System, ""},
    {"Label5", K::Label, "Frame2", 2280, 360, 2535, 495, 13, F::F1, C::DarkBlue,
     "Общее звуковое давление громкоговорителя"},
    {"LblPd", K::ResultLabel, "Frame2", 5040, 360, 975, 375, 14, F::F5, C::System, ""},
    {"Label6", K::Label, "Frame2", 6120, 480, 495, 255, 18, F::F1, C::DarkBlue, "(дБ)"},
    {"Label7", K::Label, "Frame2", 2280, 960, 2535, 975, 11, F::F1, C::DarkBlue,
     "Эффективная дальность, обеспечивающая разборчивость сообщения громкоговорителя"},
    {"LblD", K::ResultLabel, "Frame2", 5040, 1080, 975, 375, 12, F::F5, C::System, ""},
    {"Label8", K::Label, "Frame2", 6120, 1200, 375, 255, 19, F::F1, C::DarkBlue, "(м)"},
    {"Label13", K::Label, "Frame2", 2280, 1920, 2535, 495, 25, F::F1, C::DarkBlue,
     "Эффективно озвучиваемая площадь "},
    {"LblS", K::ResultLabel, "Frame2", 5040, 1920, 975, 375, 24, F::F5, C::System, ""},
    {"Label14", K::Label, "Frame2", 6120, 2040, 615, 255, 26, F::F1, C::DarkBlue, "(кв.м)"},
    {"Command1", K::Button, "Frame2", 120, 2160, 1695, 735, 51, F::F6, C::LightGreyFace,
     "РАСЧИТАТЬ"},
    {"Label9", K::Label, "Frame2", 2280, 2520, 2175, 495, 15, F::F1, C::DarkBlue,
     "Необходимое кол-во громкоговорителей"},
    {"LblKs", K::ResultLabel, "Frame2", 5040, 2520, 975, 375, 16, F::F5, C::System, ""},
    {"Label11", K::Label, "Frame2", 6120, 2640, 375, 255, 20, F::F1, C::DarkBlue, "(шт)"},

    // Attenuation against distance.
    {"Label22", K::Label, "Frame5", 240, 360, 1455, 255, 45, F::F1, C::Black, "Дальность (м)"},
    {"TxtDln", K::TextBox, "Frame5", 360, 720, 855, 375, 42, F::F8, C::System, ""},
    {"Label24", K::Label, "Frame5", 240, 1200, 1575, 255, 43, F::F1, C::Black, "Затухание (дБ)"},
    {"LblZat", K::ResultLabel, "Frame5", 360, 1560, 855, 375, 44, F::F3, C::System, ""},
    {"Command2", K::Button, "Frame5", 120, 2160, 1695, 735, 52, F::F6, C::LightGreyFace,
     "ПОКАЗАТЬ"},
}};

// Fields and lists are announced by a screen reader with the caption beside them.
struct CaptionOf {
    std::string_view control;
    std::string_view label;
};

inline constexpr std::array<CaptionOf, 12> kCaptions{{
    {"CmbD", "Label10"},
    {"TxtPv", "Label1"},
    {"TxtPd", "Label2"},
    {"CmbOn", "Label4"},
    {"TxtN", "Label4"},
    {"TxtH", "Label3"},
    {"TxtL", "Label19"},
    {"TxtW", "Label21"},
    {"TxtDln", "Label22"},
    {"CmbDn", "Label23"},
    {"CmbUPS", "Label25"},
    {"CmbVP", "Label26"},
}};

// Frames whose options form one group: the type and the power gradation.
inline constexpr std::array<std::string_view, 2> kOptionGroups{"Frame3", "Frame6"};

struct MenuItem {
    std::string_view name;
    std::string_view caption;
};

inline constexpr std::array<MenuItem, 5> kMenu{{
    {"Mppech", "&Печать в файл"},
    {"Mplan", "Пла&н помещения"},
    {"Mproject", "Про&ект"},
    {"Mspr", "Краткая &справка"},
    {"Mopr", "&О программе"},
}};

inline constexpr std::string_view kTimerName = "Timer1";
inline constexpr int kTimerIntervalMs = 500;

} // namespace pa::layout
