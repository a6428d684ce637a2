#include "protocol/sensor_listing.h"

#include "common/text.h"
#include "protocol/device_commands.h"

namespace quelmar::protocol {

std::vector<SensorRow> build_sensor_rows(link::DeviceList& devices, link::SensorLink& link) {
    std::vector<SensorRow> rows;
    link::sensor_link_close(link);
    for (std::size_t i = 0; i < devices.size(); ++i) {
        auto& entry = devices[i];
        const link::LinkResult opened = link::sensor_link_open(link, entry.path, probe_timeout_ms);
        if (opened == link::LinkResult::in_use) {
            // Probing through another program's connection would mix its replies with ours.
            SensorRow row;
            row.entry = i;
            row.name = "Unknown device";
            row.type = in_use_text;
            row.in_use = true;
            entry.mode = link::device_mode_unknown;
            rows.push_back(std::move(row));
            continue;
        }
        if (opened != link::LinkResult::ok) continue;
        DeviceIdentity identity;
        DeviceKind kind;
        bool ok = read_identity(link, identity) == status::ok ||
                  read_identity(link, identity) == status::ok;
        ok = ok && (read_kind(link, kind) == status::ok || read_kind(link, kind) == status::ok);
        SensorRow row;
        row.entry = i;
        if (!ok) {
            row.name = "Unknown device";
            entry.mode = link::device_mode_unknown;
        } else {
            entry.mode = kind.mode;
            row.name = identity.name_text();
            row.serial_number = common::format_text("%u", identity.serial_number);
            row.state = kind.mode == link::device_mode_bootloader
                            ? common::format_text("Bootloader (v%u)", kind.bootloader_version)
                            : "Firmware";
            row.type = link::device_type_name(kind.device_type);
        }
        rows.push_back(std::move(row));
        link::sensor_link_close(link);
    }
    return rows;
}

}  // namespace quelmar::protocol
