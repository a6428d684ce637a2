#pragma once
// The convention every command function follows: a zero-filled report with the code, length
// and payload; a failed exchange gives 14 without looking at the buffer; otherwise the reply's
// status, and only on status 0 is the reply payload copied out.

#include <cstddef>
#include <cstdint>
#include <span>

#include "link/sensor_link.h"
#include "protocol/sensor_status.h"

namespace quelmar::protocol {

// One exchange of a prepared report; on return the report holds the reply when the result is
// not 14.
SensorStatus run_command(link::SensorLink& link, link::SensorReport& report);

// Sends `code` with `request` as payload. On status 0 the first reply_out.size() payload bytes
// are copied into reply_out; on any other status reply_out is left untouched.
SensorStatus send_command(link::SensorLink& link, std::uint16_t code,
                          std::span<const std::uint8_t> request = {},
                          std::span<std::uint8_t> reply_out = {});

}  // namespace quelmar::protocol
