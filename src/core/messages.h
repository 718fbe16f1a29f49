#pragma once

#include <string_view>

namespace pa::msg {

// Every message the calculations can stop with.
inline constexpr std::string_view PowerMissing = "Введите значение мощности громкоговорителя";
inline constexpr std::string_view SensitivityMissing =
    "Введите значение чувствительности громкоговорителя";
inline constexpr std::string_view NoiseMissing = "Введите уровень шума";
inline constexpr std::string_view CeilingMissing = "Введите высоту потолков";
inline constexpr std::string_view MountMissing = "Введите высоту установки громкоговорителя";
inline constexpr std::string_view LengthMissing = "Введите длину помещения";
inline constexpr std::string_view WidthMissing = "Введите ширину помещения";
inline constexpr std::string_view SpeakerTooWeak =
    "Выбранного динамика не достаточно для указанных параметров";
inline constexpr std::string_view CeilingTooLow = "Слишком маленькая высота потолков";
inline constexpr std::string_view MountTooLow = "Слишком маленькая высота установки";
inline constexpr std::string_view PowerTooSmall = "Слишком малая мощность громкоговорителя";
inline constexpr std::string_view PowerTooLarge = "Слишком большая мощность громкоговорителя";
inline constexpr std::string_view OutOfRange = "Введенные значения выходят за допустимые пределы";
inline constexpr std::string_view SensitivityInvalid =
    "Неверное значение чувствительности громкоговорителя";
inline constexpr std::string_view NoiseInvalid = "Неверное значение уровня шума";
inline constexpr std::string_view DistanceMissing = "Введите дальность";
inline constexpr std::string_view DistanceInvalid = "Неверное значение дальности";

} // namespace pa::msg
