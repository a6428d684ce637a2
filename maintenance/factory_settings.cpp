#include "maintenance/factory_settings.h"

#include <algorithm>

#include "protocol/command.h"
#include "protocol/commands.h"
#include "protocol/device_commands.h"

namespace quelmar::maintenance {

namespace cmd = protocol::cmd;
using protocol::SensorStatus;
namespace status = protocol::status;

bool maintenance_password_matches(std::string_view typed) {
    static constexpr char stored[] = "brume";
    constexpr std::size_t stored_length = sizeof(stored) - 1;
    // Every position of the field is compared, and the differences are gathered without an
    // early exit, so the time taken does not depend on where the first difference lies.
    volatile unsigned difference = typed.size() == stored_length ? 0u : 1u;
    for (std::size_t i = 0; i < password_field_length; ++i) {
        const unsigned char a = i < typed.size() ? static_cast<unsigned char>(typed[i]) : 0;
        const unsigned char b = i < stored_length ? static_cast<unsigned char>(stored[i]) : 0;
        difference = difference | static_cast<unsigned>(a ^ b);
    }
    // Characters beyond the field are never read by the dialog; a longer text is wrong.
    if (typed.size() > password_field_length)
        difference = difference | 1u;
    return difference == 0;
}

bool has_driver_board(std::int32_t hardware_variant) {
    return hardware_variant == 3 || hardware_variant == 6;
}

FactoryEnabling factory_enabling(bool right, const FactoryAvailability& a) {
    return {right, right && a.fram, right && a.driver_board, right && a.upgrade};
}

bool read_factory_settings(link::SensorLink& link, FactorySettings& s) {
    s.available = {};
    if (protocol::read_kind(link, s.kind) != status::ok)
        return false;
    if (protocol::read_identity(link, s.identity) != status::ok)
        return false;
    if (s.kind.mode != 2)
        return true;
    s.available.fram = true;
    s.available.upgrade = true;
    if (read_fram(link, s.fram) != status::ok)
        return false;
    protocol::SensorStatusRecord st;
    if (protocol::read_status(link, st) != status::ok)
        return false;
    if (has_driver_board(st.hardware_variant)) {
        s.available.driver_board = true;
        if (read_nvram(link, s.nvram) != status::ok)
            return false;
    }
    return true;
}

std::uint32_t read_factory_number(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    std::uint64_t v = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        v = v * 10 + static_cast<unsigned>(text[i] - '0');
        if (v > UINT32_MAX)
            return UINT32_MAX;
    }
    return static_cast<std::uint32_t>(v);
}

protocol::DeviceIdentity flash_identity(const std::string& name, std::uint32_t serial_entered,
                                        std::uint32_t board_serial_entered) {
    protocol::DeviceIdentity id{};
    id.form = 2;
    id.set_name(name);
    id.serial_number = protocol::clamp_serial_number(serial_entered);
    id.board_serial_number = protocol::mask_board_serial_number(board_serial_entered);
    return id;
}

FramRecord fram_record(std::uint32_t board_serial_entered, std::uint32_t stroke_meter) {
    FramRecord r;
    r.form = 2;
    r.board_serial_number = static_cast<std::uint8_t>(board_serial_entered & 0xFF);
    r.stroke_meter = stroke_meter;
    return r;
}

NvramRecord nvram_record(std::uint32_t driver_serial_entered) {
    return NvramRecord{static_cast<std::uint8_t>(driver_serial_entered & 0xFF)};
}

namespace {
template <class R>
SensorStatus read_record(link::SensorLink& link, std::uint16_t code, R& record) {
    common::RecordBytes<R> reply{};
    const SensorStatus s = protocol::send_command(link, code, {}, reply);
    if (s == status::ok)
        record = common::decode_record<R>(reply);
    return s;
}
template <class R>
SensorStatus write_record(link::SensorLink& link, std::uint16_t code, const R& record) {
    const auto bytes = common::encode_record(record);
    return protocol::send_command(link, code, bytes);
}
}  // namespace

SensorStatus read_fram(link::SensorLink& link, FramRecord& r) {
    return read_record(link, cmd::read_fram_factory, r);
}
SensorStatus write_fram(link::SensorLink& link, const FramRecord& r) {
    return write_record(link, cmd::write_fram_factory, r);
}
SensorStatus read_nvram(link::SensorLink& link, NvramRecord& r) {
    return read_record(link, cmd::read_nvram_factory, r);
}
SensorStatus write_nvram(link::SensorLink& link, const NvramRecord& r) {
    return write_record(link, cmd::write_nvram_factory, r);
}

}  // namespace quelmar::maintenance
