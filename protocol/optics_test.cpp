#include "protocol/optics_test.h"

#include "protocol/command.h"
#include "protocol/commands.h"

namespace quelmar::protocol {

SensorStatus start_optics_test(link::SensorLink& link,
                               std::span<const std::uint8_t, optics_test_request_size> request) {
    auto report = link::SensorReport::request(cmd::start_optics_test, request.data(), request.size());
    SensorStatus s = run_command(link, report);
    if (s != status::optics_unknown) return s;
    // The same request again with only the code's high byte changed (2 -> 1) and the older
    // length; the payload stays as it was.
    report = link::SensorReport::request(cmd::start_optics_test, request.data(), request.size());
    report.bytes[link::command_offset + 1] = 1;
    report.set_length(optics_test_old_request_size);
    return run_command(link, report);
}

}  // namespace quelmar::protocol
