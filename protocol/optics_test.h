#pragma once
// Starting the live optics test, with the older form for firmware that does not know 626.

#include <array>
#include <cstdint>
#include <span>

#include "link/sensor_link.h"
#include "protocol/sensor_status.h"

namespace quelmar::protocol {

constexpr std::size_t optics_test_request_size = 36;
constexpr std::size_t optics_test_old_request_size = 16;

// 626 with the 36-byte request; a sensor answering 8 gets 370 with the first 16 bytes.
SensorStatus start_optics_test(link::SensorLink& link,
                               std::span<const std::uint8_t, optics_test_request_size> request);

}  // namespace quelmar::protocol
