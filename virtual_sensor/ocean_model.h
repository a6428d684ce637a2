#pragma once
// The model ocean the virtual instrument measures: a profiling glider diving and climbing
// between the surface and 200 m, and the water it meets, as smooth functions of depth.
//
// The profiles (z in metres):
//   temperature  4 + 14·exp(−z/50) °C           (18 °C at the surface)
//   salinity     34.2 + 0.8·(1 − exp(−z/70)) PSU
//   oxygen       4 + 2.5·exp(−z/100) ml/l
//   nitrate      1 + 24 / (1 + exp(−(z − 80)/15)) µM   (a nitracline at 80 m)
//   pH           7.75 + 0.35·exp(−z/60)
// The glider spends 300 s at the surface, then dives at 0.1 m/s to 200 m and climbs back at
// the same rate: one dive every 4300 s.

#include <cstdint>

namespace quelmar::virtual_sensor {

struct OceanSample {
    double depth = 0;        // m
    double temperature = 0;  // degC
    double salinity = 0;     // PSU
    double oxygen = 0;       // ml/l
    double nitrate = 0;      // µM
    double ph = 0;
    std::uint8_t direction = 1;  // 1 surfaced, 2 diving, 3 climbing
    std::uint16_t dive = 0;      // dives begun so far
};

constexpr double glider_max_depth = 200.0;
constexpr double glider_speed = 0.1;         // m/s
constexpr double glider_surface_time = 300;  // s

OceanSample ocean_at_depth(double depth);
// The glider and its water `seconds` after the deployment began.
OceanSample ocean_at(double seconds);

}  // namespace quelmar::virtual_sensor
