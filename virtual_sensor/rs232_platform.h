#pragma once
// The host platform's latest data as the sensor's RS232 side received it. While a host feeds
// it, the platform data (444) and the platform fields of the readings (418) report it instead
// of the sensor's own model ocean.

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>

#include "protocol/readings.h"
#include "virtual_sensor/virtual_sensor.h"

namespace quelmar::virtual_sensor {

struct PlatformFeed {
    std::mutex mutex;
    std::optional<protocol::PlatformData> data;
    std::uint32_t time = 0;  // the platform's time of the data, seconds since 1970 UTC
};

inline std::shared_ptr<PlatformFeed> platform_feed(VirtualSensor& sensor) {
    return sensor.feature_state<PlatformFeed>("rs232_platform");
}

// The fed data, if a host has sent any.
inline std::optional<protocol::PlatformData> fed_platform_data(VirtualSensor& sensor) {
    auto feed = platform_feed(sensor);
    std::lock_guard lock(feed->mutex);
    return feed->data;
}

}  // namespace quelmar::virtual_sensor
