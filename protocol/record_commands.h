#pragma once
// Command functions for the many commands whose reply or request is exactly one record: with
// the record's field list these make each read and write command one line.

#include <cstdint>
#include <span>

#include "common/record_fields.h"
#include "protocol/command.h"

namespace quelmar::protocol {

// Sends `code` with `request`; on status 0 the reply payload is decoded into `record`, on any
// other result `record` is left as it was.
template <class T>
SensorStatus read_record(link::SensorLink& link, std::uint16_t code, T& record,
                         std::span<const std::uint8_t> request = {}) {
    static_assert(common::record_size<T>() <= link::payload_capacity);
    common::RecordBytes<T> bytes{};
    const SensorStatus s = send_command(link, code, request, bytes);
    if (s == status::ok)
        record = common::decode_record<T>(bytes);
    return s;
}

// Sends `code` with the record's byte image as the request.
template <class T>
SensorStatus write_record(link::SensorLink& link, std::uint16_t code, const T& record) {
    static_assert(common::record_size<T>() <= link::payload_capacity);
    return send_command(link, code, common::encode_record(record));
}

}  // namespace quelmar::protocol
