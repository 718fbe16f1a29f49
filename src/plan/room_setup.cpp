#include "plan/room_setup.h"

#include "plan/sti.h"

namespace pa::plan {

RoomAcoustics roomAcoustics(const PlanInputs& in, const RoomSetup& setup,
                            std::string_view decimalSeparator) {
    const auto fail = [](std::string message) {
        RoomAcoustics failed;
        failed.error = std::move(message);
        return failed;
    };
    RoomInput input;
    input.height = setup.height;
    input.people = setup.people;
    input.measured = setup.measured;
    for (const auto& [id, alpha] :
         {std::pair{&setup.floor, &input.floor}, std::pair{&setup.ceiling, &input.ceiling},
          std::pair{&setup.walls, &input.walls}}) {
        const Material* found = findMaterial(*id);
        // Measured times need no finishes: a finish the table lost does not stop them.
        if (!found && !setup.measured)
            return fail("Отделки «" + *id + "» нет в таблице материалов: выберите другую.");
        if (found)
            *alpha = found->alpha;
    }
    if (setup.noise)
        if (std::string error = noiseError(*setup.noise, decimalSeparator); !error.empty())
            return fail(std::move(error));
    if (setup.sleeping && !(setup.headHeight > 0 && setup.headHeight < in.mountHeight))
        return fail("Высота головы спящего (" + fixedText(setup.headHeight, 2, decimalSeparator) +
                    " м) должна быть больше 0 и ниже высоты подвеса громкоговорителей (" +
                    fixedText(in.mountHeight, 2, decimalSeparator) + " м).");
    return roomAcoustics(in, input, decimalSeparator);
}

Bands noiseOf(const PlanInputs& in, const RoomSetup& setup) {
    return setup.noise.value_or(pinkNoise(in.roomNoise));
}

RoomChecks roomChecks(const RoomSetup& setup, const RoomAcoustics* room) {
    RoomChecks checks;
    // A height nobody typed is the mounting height taken for the reverberation, not the room's.
    if (setup.height && room && room->ok())
        checks.height = room->height;
    checks.sleeping = setup.sleeping;
    checks.headHeight = setup.headHeight;
    return checks;
}

} // namespace pa::plan
