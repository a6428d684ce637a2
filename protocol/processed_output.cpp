#include "protocol/processed_output.h"

#include <bit>

#include "protocol/commands.h"
#include "protocol/record_commands.h"

namespace quelmar::protocol {

double processed_value(const ProcessedRecord& r) {
    std::uint64_t bits = 0;
    for (std::size_t i = 0; i < 8; ++i) bits |= std::uint64_t(r.value_bytes[i]) << (8 * i);
    return std::bit_cast<double>(bits);
}

void set_processed_value(ProcessedRecord& r, double value) {
    const auto bits = std::bit_cast<std::uint64_t>(value);
    for (std::size_t i = 0; i < 8; ++i) r.value_bytes[i] = std::uint8_t(bits >> (8 * i));
}

SensorStatus start_processed_read(link::SensorLink& link) {
    return send_command(link, cmd::start_processed_read, start_processed_request);
}

SensorStatus read_processed_record(link::SensorLink& link, ProcessedRecord& record) {
    return read_record(link, cmd::read_processed_record, record, read_processed_request);
}

SensorStatus wipe_processed_output(link::SensorLink& link) {
    return send_command(link, cmd::wipe_processed);
}

}  // namespace quelmar::protocol
