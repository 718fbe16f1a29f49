#pragma once

#include "plan/plan.h"

#include <string>
#include <vector>

namespace pa::plan {

// Sizes of a loudspeaker's mark in the drawing, in metres: about a real ceiling loudspeaker.
inline constexpr double kDxfMarkRadius = 0.1;
inline constexpr double kDxfTextHeight = 0.25;

// The plan as an AutoCAD R12 text drawing in metres, origin at the room's corner: the room
// outline on layer ROOM; each loudspeaker as a POINT, a small CIRCLE and its number as TEXT on
// SPEAKERS; its coverage on COVERAGE (a circle of the coverage radius for ceiling loudspeakers,
// an arc of the effective range closed by two radii for wall and horn loudspeakers). Lines end
// with CR LF, numbers always carry a point.
std::string planDxf(const PlanInputs& in, const std::vector<Speaker>& speakers);

} // namespace pa::plan
