#pragma once

#include <string_view>

namespace pa {

enum class SpeakerType { Ceiling, Wall, Horn };

// What selecting a type puts into the window and the record.
struct TypeDefaults {
    std::string_view heightCaption; // caption of the height field's label
    std::string_view angleText;     // directivity text for the list and DirAngle
    double dirCoef;                 // the same angle in radians, with kApproxPi
};

TypeDefaults typeDefaults(SpeakerType type);

// The type's letter in the model list's lookup table ("П", "Н", "Р"), and back; any other text
// reads as ceiling, the type of the manual-entry item.
std::string_view typeLetter(SpeakerType type);
SpeakerType typeOfLetter(std::string_view letter);

// The word the report uses for a type ("Потолочный", "Настенный", "Рупорный").
std::string_view typeWord(SpeakerType type);

} // namespace pa
