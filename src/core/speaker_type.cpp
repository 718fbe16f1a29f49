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
