#include "virtual_sensor/bootloader_handlers.h"

#include <chrono>
#include <mutex>
#include <optional>

#include "common/bytes.h"
#include "common/text.h"
#include "protocol/commands.h"
#include "protocol/device_records.h"
#include "protocol/sensor_status.h"
#include "virtual_sensor/bootloader_image.h"

namespace quelmar::virtual_sensor {

namespace {
constexpr std::uint32_t firmware_address = 0xA000;

struct UpgradeFaults {
    std::mutex mutex;
    std::optional<std::uint32_t> refused_block;
    std::uint8_t refused_status = 0;
    std::uint32_t images_taken = 0;
};

std::shared_ptr<UpgradeFaults> faults(VirtualSensor& sensor) {
    return sensor.feature_state<UpgradeFaults>("upgrade");
}

void report_version(VirtualSensor& sensor, const std::string& text) {
    protocol::SoftwareVersion version;
    common::put_text(version.text.data(), version.text.size(), text);
    const auto bytes = protocol::encode_software_version(version);
    sensor.set_record(protocol::cmd::read_software_version, {bytes.begin(), bytes.end()});
}

Reply upgrade_block(VirtualSensor& sensor, const link::SensorReport& request) {
    const std::uint8_t* in = request.payload();
    const std::uint32_t block = common::get_u32le(in + 1);
    const std::uint32_t count = common::get_u32le(in + 5);
    {
        auto f = faults(sensor);
        std::lock_guard lock(f->mutex);
        if (count != 0 && f->refused_block && *f->refused_block == block) return Reply{f->refused_status, {}};
    }
    Reply reply = sensor.builtin_reply(request);
    if (reply.status != protocol::status::ok || count != 0) return reply;

    {
        auto f = faults(sensor);
        std::lock_guard lock(f->mutex);
        ++f->images_taken;
    }
    std::uint32_t target = 0;
    const auto image = sensor.received_image(&target);
    // A bootloader image is written by the running firmware, which carries on.
    if (target != firmware_address) return reply;
    // Only an image the bootloader can vouch for (one with a version line) is started; any
    // other is kept and the bootloader stays, as a bootloader that checks its image would.
    const auto version = firmware_image_version(image);
    if (!version) return reply;
    report_version(sensor, *version);
    // The bootloader answers first, then starts the new firmware: it leaves the bus and the
    // firmware arrives a moment later. A sensor already running firmware restarts the same way.
    sensor.schedule(std::chrono::milliseconds(40), [&sensor] {
        sensor.detach();
        sensor.set_mode(2);
        sensor.schedule(std::chrono::milliseconds(60), [&sensor] { sensor.attach(); });
    });
    return reply;
}
}  // namespace

void install_bootloader_handlers(VirtualSensor& sensor) {
    sensor.set_handler(protocol::cmd::firmware_block, upgrade_block);
}

void refuse_upgrade_block(VirtualSensor& sensor, std::uint32_t block, std::uint8_t status) {
    auto f = faults(sensor);
    std::lock_guard lock(f->mutex);
    f->refused_block = block;
    f->refused_status = status;
}

void clear_refused_upgrade_block(VirtualSensor& sensor) {
    auto f = faults(sensor);
    std::lock_guard lock(f->mutex);
    f->refused_block.reset();
}

std::uint32_t images_taken(VirtualSensor& sensor) {
    auto f = faults(sensor);
    std::lock_guard lock(f->mutex);
    return f->images_taken;
}

}  // namespace quelmar::virtual_sensor
