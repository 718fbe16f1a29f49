#pragma once

#include "core/geometry.h"
#include "plan/plan.h"

// The rooms the benches measure, so that their figures speak of the same layouts.
namespace pa::bench {

// 40 x 30 m, 100 ceiling loudspeakers of 90 degrees at 3 m: the map benches' room.
inline plan::PlanInputs mapRoom() {
    plan::PlanInputs in;
    in.type = SpeakerType::Ceiling;
    in.length = 40;
    in.width = 30;
    in.mountHeight = 3;
    in.listenHeight = 1.5;
    in.dirCoef = kApproxPi / 2;
    in.totalSpl = 94;
    in.effRange = 6;
    in.count = 100;
    in.roomNoise = 70;
    in.overlap = 10;
    in.speakerWatts = 3;
    return in;
}

// The same room with horns of 40 degrees on staggered walls.
inline plan::PlanInputs hornRoom() {
    plan::PlanInputs in = mapRoom();
    in.type = SpeakerType::Horn;
    in.dirCoef = kApproxFullTurn / 9;
    return in;
}

// 200 x 150 m with 2,000 ceiling loudspeakers at 4 m: the drag benches' hall.
inline plan::PlanInputs dragHall() {
    plan::PlanInputs in = mapRoom();
    in.length = 200;
    in.width = 150;
    in.mountHeight = 4;
    in.count = 2000;
    in.roomNoise = 60;
    in.overlap = 20;
    in.speakerWatts = 6;
    return in;
}

} // namespace pa::bench
