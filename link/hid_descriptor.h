#pragma once
// The parts of talking to a real HID sensor that need no hardware: deciding the report id
// from the report descriptor and restoring the 129-byte layout of a hidraw read.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace quelmar::link {

// 1 when the descriptor declares an input report with report id 1, else 0; none when the
// descriptor is empty or malformed (the link then keeps the id it had).
std::optional<std::uint8_t> report_id_from_descriptor(std::span<const std::uint8_t> descriptor);

// hidraw leaves the report id out of what it reads for a device with unnumbered reports:
// for report id 0, the `count` bytes read are moved up by one and a 0 put in front. A read
// that is short of the 129 bytes but holds the whole 6-byte header is zero-filled; one that
// does not reach the status and length bytes is no report at all (false, buffer unspecified).
// `buffer` holds 129 bytes.
bool normalise_input_report(std::uint8_t* buffer, std::size_t count, std::uint8_t report_id);

}  // namespace quelmar::link
