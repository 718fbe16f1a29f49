#include "speaker_type.h"

namespace pa {

TypeDefaults typeDefaults(SpeakerType type) {
    // 3.1415 for pi and 6.283 for the full turn, so that each default equals what the
    // directivity list computes for the same angle.
    switch (type) {
    case SpeakerType::Wall:
        return {"Высота установки", "120", 6.283 / 3};
    case SpeakerType::Horn:
        return {"Высота установки", "40", 6.283 / 9};
    case SpeakerType::Ceiling:
        break;
    }
    return {"Высота потолков", "90", 3.1415 / 2};
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
