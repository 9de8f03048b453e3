#ifndef QV_GEOMETRY_GEOMETRY2D_H
#define QV_GEOMETRY_GEOMETRY2D_H

// Angles of the plane geometry: radians, counter-clockwise from +x.
using AngleType = double;

// PI is deliberately the ten-decimal value the game has always used; the
// geometry's results (and its tests) depend on exactly this value.
constexpr AngleType PI = 3.1415926535;
constexpr AngleType TWO_PI = 2.0 * PI;
constexpr AngleType HALF_PI = 0.5 * PI;
constexpr AngleType QUARTER_PI = PI / 4.0;
constexpr AngleType THREE_HALVES_PI = 1.5 * PI;

#endif
