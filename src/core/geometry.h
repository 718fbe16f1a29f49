#pragma once

namespace pa {

// Pi as the area formulas and the directivity angles have always used it. Results, stored
// coefficients and reports depend on this exact value, so it is not the true pi.
inline constexpr double kApproxPi = 3.1415;
// Twice kApproxPi (6.283), the full turn of the sector formula.
inline constexpr double kApproxFullTurn = 2 * kApproxPi;

// Distance from a ceiling loudspeaker to the edge of its cone on the listening plane, for the
// drop between mounting height and listening height and half the opening angle in radians.
double slantRange(double drop, double halfAngle);

// Radius of the circle a ceiling loudspeaker covers on the listening plane.
double coverRadius(double drop, double halfAngle);

// Horizontal reach of a wall or horn loudspeaker whose slant range is effRange, mounted drop
// metres above the listening plane.
double projectedRange(double effRange, double drop);

// Half the width of the strip that a wall or horn loudspeaker covers across a corridor, before
// the calculation's whole-metre rounding.
double corridorHalfSpan(double projected, double dirCoef);

} // namespace pa
