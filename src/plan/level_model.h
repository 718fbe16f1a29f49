#pragma once

#include "plan/plan.h"

#include <algorithm>

// The level model's parts that the reference form and the fast map share.
namespace pa::plan {

// Levels far outside anything acoustics knows would only overflow the energy sums, and the map's
// single precision keeps 0.001 dB only below this.
inline constexpr double kMaxAbsLevel = 1000; // dB

// Directivity never takes more than this off the on-axis level.
inline constexpr double kDirectivityFloor = -30; // dB
// Level drop at the edge of the stated opening angle.
inline constexpr double kEdgeDrop = -6; // dB

// Directivity in dB at angle theta off the axis, for half the opening angle.
inline double directivity(double theta, double halfAngle) {
    const double t = theta / halfAngle;
    return std::max(kDirectivityFloor, kEdgeDrop * t * t);
}

// One loudspeaker as the level model sees it: height above the listening plane and the axis
// in the plane (x, y) and downward (z), unit length. No loudspeaker aims along the length.
struct Source {
    double drop = 0;
    double axisY = 0;
    double axisZ = 0;
};

inline Source sourceOf(const PlanInputs& in, const Speaker& s) {
    const double drop = in.mountHeight - in.listenHeight;
    switch (s.wall) {
    case Wall::Near:
        return {drop, 1, 0};
    case Wall::Far:
        return {drop, -1, 0};
    case Wall::None:
        break;
    }
    return {drop, 0, 1};
}

} // namespace pa::plan
