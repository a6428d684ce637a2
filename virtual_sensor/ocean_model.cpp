#include "virtual_sensor/ocean_model.h"

#include <cmath>

namespace quelmar::virtual_sensor {

OceanSample ocean_at_depth(double z) {
    OceanSample s;
    s.depth = z;
    s.temperature = 4.0 + 14.0 * std::exp(-z / 50.0);
    s.salinity = 34.2 + 0.8 * (1.0 - std::exp(-z / 70.0));
    s.oxygen = 4.0 + 2.5 * std::exp(-z / 100.0);
    s.nitrate = 1.0 + 24.0 / (1.0 + std::exp(-(z - 80.0) / 15.0));
    s.ph = 7.75 + 0.35 * std::exp(-z / 60.0);
    return s;
}

OceanSample ocean_at(double seconds) {
    if (seconds < 0) seconds = 0;
    const double leg = glider_max_depth / glider_speed;
    const double period = glider_surface_time + 2 * leg;
    const double n = std::floor(seconds / period);
    const double t = seconds - n * period;
    double depth = 0;
    std::uint8_t direction = 1;
    if (t < glider_surface_time) {
        depth = 0;
    } else if (t < glider_surface_time + leg) {
        depth = (t - glider_surface_time) * glider_speed;
        direction = 2;
    } else {
        depth = glider_max_depth - (t - glider_surface_time - leg) * glider_speed;
        direction = 3;
    }
    OceanSample s = ocean_at_depth(depth);
    s.direction = direction;
    s.dive = static_cast<std::uint16_t>(n + (t >= glider_surface_time ? 1 : 0));
    return s;
}

}  // namespace quelmar::virtual_sensor
