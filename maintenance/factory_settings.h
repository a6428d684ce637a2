#pragma once
// What the factory settings dialog reads and writes: the identity in the processing board's
// flash, the FRAM record with the pump stroke meter, the driver board's NVRAM record, which of
// them the sensor offers, and the maintenance password that unlocks the dialog. The password
// guards against slips, not against attackers.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/record_fields.h"
#include "link/sensor_link.h"
#include "protocol/device_records.h"
#include "protocol/sensor_status.h"

namespace quelmar::maintenance {

// Processing board FRAM (292 / 293).
struct FramRecord {
    std::uint8_t form = 2;                 // always written as 2
    std::uint8_t board_serial_number = 0;  // kept for older boards
    std::uint32_t stroke_meter = 0;        // pump strokes since the meter was last reset
};

template <class Io>
constexpr void fields(Io& io, FramRecord& r) {
    io.u8(r.form);
    io.u8(r.board_serial_number);
    io.skip(3);
    io.u32(r.stroke_meter);
}
static_assert(common::record_size<FramRecord>() == 9);

// Driver board NVRAM (322 / 323).
struct NvramRecord {
    std::uint8_t driver_serial_number = 0;
};

template <class Io>
constexpr void fields(Io& io, NvramRecord& r) {
    io.skip(1);
    io.u8(r.driver_serial_number);
    io.skip(3);
}
static_assert(common::record_size<NvramRecord>() == 5);

// At most this many characters of the password field are read.
constexpr std::size_t password_field_length = 23;

// Whether `typed` is the maintenance password, letter case included. The comparison takes the
// same steps whatever the characters typed, so it tells nothing about how much of it matched.
bool maintenance_password_matches(std::string_view typed);

// What the sensor offers beyond its flash identity.
struct FactoryAvailability {
    bool fram = false;
    bool upgrade = false;  // bootloader upgrade
    bool driver_board = false;
};

// Hardware variants that carry a driver board with its own non-volatile settings.
bool has_driver_board(std::int32_t hardware_variant);

struct FactoryEnabling {
    bool flash = false;
    bool fram = false;
    bool driver_board = false;
    bool upgrade = false;
};
FactoryEnabling factory_enabling(bool password_right, const FactoryAvailability& available);

struct FactorySettings {
    protocol::DeviceKind kind;
    protocol::DeviceIdentity identity;
    FramRecord fram;
    NvramRecord nvram;
    FactoryAvailability available;
};

// Reads everything the dialog shows: kind and identity always; FRAM, status and (with a driver
// board) NVRAM only while the firmware runs. False when any of these reads fails.
bool read_factory_settings(link::SensorLink& link, FactorySettings& settings);

// Numbers typed into the dialog: leading decimal digits, anything else 0; a number beyond 32
// bits is held at the largest value.
std::uint32_t read_factory_number(std::string_view text);

// The identity written by the FLASH Save: built from nothing, so the bytes the program does not
// interpret go back to 0.
protocol::DeviceIdentity flash_identity(const std::string& name, std::uint32_t serial_entered,
                                        std::uint32_t board_serial_entered);
FramRecord fram_record(std::uint32_t board_serial_entered, std::uint32_t stroke_meter);
NvramRecord nvram_record(std::uint32_t driver_serial_entered);

protocol::SensorStatus read_fram(link::SensorLink& link, FramRecord& record);
protocol::SensorStatus write_fram(link::SensorLink& link, const FramRecord& record);
protocol::SensorStatus read_nvram(link::SensorLink& link, NvramRecord& record);
protocol::SensorStatus write_nvram(link::SensorLink& link, const NvramRecord& record);

}  // namespace quelmar::maintenance
