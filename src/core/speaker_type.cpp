#include "core/speaker_type.h"

#include "core/geometry.h"

namespace pa {

TypeDefaults typeDefaults(SpeakerType type) {
    // With the approximate pi, so that each default equals what the directivity list computes
    // for the same angle.
    switch (type) {
    case SpeakerType::Wall:
        return {"Высота установки", "120", kApproxFullTurn / 3};
    case SpeakerType::Horn:
        return {"Высота установки", "40", kApproxFullTurn / 9};
    case SpeakerType::Ceiling:
        break;
    }
    return {"Высота потолков", "90", kApproxPi / 2};
}

std::string_view typeLetter(SpeakerType type) {
    switch (type) {
    case SpeakerType::Wall:
        return "Н";
    case SpeakerType::Horn:
        return "Р";
    case SpeakerType::Ceiling:
        break;
    }
    return "П";
}

SpeakerType typeOfLetter(std::string_view letter) {
    if (letter == typeLetter(SpeakerType::Wall))
        return SpeakerType::Wall;
    if (letter == typeLetter(SpeakerType::Horn))
        return SpeakerType::Horn;
    return SpeakerType::Ceiling;
}

std::string_view typeWord(SpeakerType type) {
    switch (type) {
    case SpeakerType::Wall:
        return "Настенный";
    case SpeakerType::Horn:
        return "Рупорный";
    case SpeakerType::Ceiling:
        break;
    }
    return "Потолочный";
}

} // namespace pa
