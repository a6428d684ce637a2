#include "protocol/command.h"

#include <cstring>

namespace quelmar::protocol {

SensorStatus run_command(link::SensorLink& link, link::SensorReport& report) {
    if (link::sensor_exchange(link, report) != link::LinkResult::ok) return status::exchange_failed;
    return report.status();
}

SensorStatus send_command(link::SensorLink& link, std::uint16_t code,
                          std::span<const std::uint8_t> request,
                          std::span<std::uint8_t> reply_out) {
    auto report = link::SensorReport::request(code, request.data(), request.size());
    const SensorStatus s = run_command(link, report);
    if (s == status::ok && !reply_out.empty()) {
        const std::size_t n = reply_out.size() < link::payload_capacity ? reply_out.size()
                                                                        : link::payload_capacity;
        std::memcpy(reply_out.data(), report.payload(), n);
    }
    return s;
}

}  // namespace quelmar::protocol
