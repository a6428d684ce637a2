#include "link/hid_descriptor.h"

#include <cstring>

#include "link/sensor_report.h"

namespace quelmar::link {

std::optional<std::uint8_t> report_id_from_descriptor(std::span<const std::uint8_t> d) {
    if (d.empty()) return std::nullopt;
    unsigned current_id = 0;
    bool input_with_id_1 = false;
    std::size_t i = 0;
    while (i < d.size()) {
        const std::uint8_t prefix = d[i];
        if (prefix == 0xFE) {  // long item: data size in the next byte
            if (i + 2 >= d.size()) return std::nullopt;
            const std::size_t size = d[i + 1];
            if (i + 3 + size > d.size()) return std::nullopt;
            i += 3 + size;
            continue;
        }
        static constexpr std::size_t sizes[4] = {0, 1, 2, 4};
        const std::size_t size = sizes[prefix & 0x03];
        if (i + 1 + size > d.size()) return std::nullopt;
        std::uint32_t value = 0;
        for (std::size_t k = 0; k < size; ++k) value |= static_cast<std::uint32_t>(d[i + 1 + k]) << (8 * k);
        const std::uint8_t tag_type = prefix & 0xFC;
        if (tag_type == 0x84) current_id = value;                           // Report ID (global)
        if (tag_type == 0x80 && current_id == 1) input_with_id_1 = true;    // Input (main)
        i += 1 + size;
    }
    return static_cast<std::uint8_t>(input_with_id_1 ? 1 : 0);
}

bool normalise_input_report(std::uint8_t* buffer, std::size_t count, std::uint8_t report_id) {
    if (count > report_size) count = report_size;
    if (report_id == 0) {
        if (count == report_size) count = report_size - 1;  // cannot happen for a 128-byte report
        std::memmove(buffer + 1, buffer, count);
        buffer[0] = 0;
        ++count;
    }
    // Without its status and length a report would pass for a success with an empty payload.
    if (count < payload_offset) return false;
    if (count < report_size) std::memset(buffer + count, 0, report_size - count);
    return true;
}

}  // namespace quelmar::link
