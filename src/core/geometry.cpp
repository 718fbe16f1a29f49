#include "core/geometry.h"

#include <cmath>

namespace pa {

double slantRange(double drop, double halfAngle) {
    return drop / std::cos(halfAngle);
}

double coverRadius(double drop, double halfAngle) {
    return slantRange(drop, halfAngle) * std::sin(halfAngle);
}

double projectedRange(double effRange, double drop) {
    return std::sqrt(effRange * effRange - drop * drop);
}

double corridorHalfSpan(double projected, double dirCoef) {
    return projected * std::sin(dirCoef / 2);
}

} // namespace pa
