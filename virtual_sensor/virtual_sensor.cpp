#include "virtual_sensor/virtual_sensor.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "common/bytes.h"
#include "common/spin.h"
#include "protocol/chemistry.h"
#include "protocol/commands.h"
#include "protocol/device_records.h"
#include "protocol/sensor_status.h"

namespace quelmar::virtual_sensor {

using namespace protocol;
using common::get_u32le;

namespace {
constexpr std::size_t request_log_limit = 4096;
constexpr auto timer_spin = std::chrono::microseconds(150);

// Write commands whose payload the matching read returns.
constexpr std::pair<std::uint16_t, std::uint16_t> stored_pairs[] = {
    {cmd::write_clock, cmd::read_clock},
    {cmd::write_fram_factory, cmd::read_fram_factory},
    {cmd::write_nvram_factory, cmd::read_nvram_factory},
    {cmd::write_pump_valve_defaults, cmd::read_pump_valve_defaults},
    {cmd::write_optics_defaults, cmd::read_optics_defaults},
    {cmd::write_dic_conductivity, cmd::read_dic_conductivity},
    {cmd::write_photomultiplier, cmd::read_photomultiplier},
    {cmd::write_platform_defaults, cmd::read_platform_defaults},
    {cmd::write_schedule, cmd::read_schedule},
    {cmd::write_rs232_config, cmd::read_rs232_config},
    {cmd::write_rs485_config, cmd::read_rs485_config},
};

constexpr std::uint16_t bootloader_commands[] = {
    cmd::read_device_info_old, cmd::write_identity_old, cmd::start_firmware, cmd::firmware_block,
    cmd::read_identity,        cmd::write_identity,     cmd::read_kind,      cmd::read_status,
};

bool answered_by_bootloader(std::uint16_t code) {
    return std::find(std::begin(bootloader_commands), std::end(bootloader_commands), code) !=
           std::end(bootloader_commands);
}

std::uint8_t old_type_number(std::uint16_t code) {
    for (std::uint8_t n = 1; n <= 12; ++n)
        if (device_type_from_old_number(n) == code) return n;
    return 0;
}

Reply status_only(std::uint8_t s) { return Reply{s, {}}; }
}  // namespace

VirtualSensor::VirtualSensor(VirtualSensorOptions options)
    : options_(std::move(options)), mode_(options_.mode) {
    DeviceIdentity identity;
    identity.set_name(options_.name);
    identity.serial_number = options_.serial_number;
    identity.board_serial_number = options_.board_serial_number;
    auto id = encode_device_identity(identity);
    records_[cmd::read_identity].assign(id.begin(), id.end());

    SoftwareVersion version;
    common::put_text(version.text.data(), version.text.size(), options_.software_version);
    auto v = encode_software_version(version);
    records_[cmd::read_software_version].assign(v.begin(), v.end());

    SensorStatusRecord st;
    st.supply_mv = options_.supply_mv;
    st.temperature_mdegc = options_.temperature_mdegc;
    st.hardware_variant = options_.hardware_variant;
    auto s = encode_sensor_status(st);
    records_[cmd::read_status].assign(s.begin(), s.end());

    timer_thread_ = std::thread([this] { timer_loop(); });
    install_feature_handlers(*this);
}

VirtualSensor::~VirtualSensor() {
    {
        std::lock_guard lock(timer_mutex_);
        timer_stop_ = true;
    }
    timer_wake_.notify_all();
    timer_thread_.join();
    detach();
}

void VirtualSensor::attach() {
    std::shared_ptr<link::VirtualPort> port;
    {
        std::lock_guard lock(mutex_);
        if (port_) return;
        port = link::make_virtual_port(path_.empty() ? options_.path : path_, options_.hardware_id,
                                       [this](link::VirtualPort& p, const link::SensorReport& r) {
                                           on_request(p, r);
                                       },
                                       options_.report_id);
        path_ = port->path();
        port_ = port;
    }
    if (!link::plug_virtual_device(port)) {
        std::lock_guard lock(mutex_);
        if (port_ == port) port_.reset();
    }
}

void VirtualSensor::detach() {
    std::shared_ptr<link::VirtualPort> port;
    {
        std::lock_guard lock(mutex_);
        port.swap(port_);
    }
    link::unplug_virtual_device(port);
}

bool VirtualSensor::attached() const {
    std::lock_guard lock(mutex_);
    return port_ != nullptr;
}

std::string VirtualSensor::path() const {
    std::lock_guard lock(mutex_);
    return path_;
}

std::uint8_t VirtualSensor::mode() const {
    std::lock_guard lock(mutex_);
    return mode_;
}

void VirtualSensor::set_mode(std::uint8_t mode) {
    std::lock_guard lock(mutex_);
    mode_ = mode;
}

std::vector<std::uint8_t> VirtualSensor::record(std::uint16_t read_code) const {
    std::lock_guard lock(mutex_);
    auto it = records_.find(read_code);
    if (it != records_.end()) return it->second;
    const CommandInfo* info = find_command(read_code);
    return std::vector<std::uint8_t>(info ? info->reply_bytes : 0, 0);
}

void VirtualSensor::set_record(std::uint16_t read_code, std::vector<std::uint8_t> bytes) {
    std::lock_guard lock(mutex_);
    records_[read_code] = std::move(bytes);
}

std::vector<std::uint8_t> VirtualSensor::parameter_record(std::uint32_t length) const {
    std::lock_guard lock(mutex_);
    auto it = parameter_records_.find(length);
    if (it != parameter_records_.end()) return it->second;
    return std::vector<std::uint8_t>(length, 0);
}

void VirtualSensor::set_parameter_record(std::vector<std::uint8_t> bytes) {
    std::lock_guard lock(mutex_);
    parameter_records_[static_cast<std::uint32_t>(bytes.size())] = std::move(bytes);
}

void VirtualSensor::set_legacy_identity(bool on) {
    std::lock_guard lock(mutex_);
    legacy_identity_ = on;
}
void VirtualSensor::set_legacy_nutrient_record(bool on) {
    std::lock_guard lock(mutex_);
    legacy_nutrient_ = on;
}
bool VirtualSensor::legacy_nutrient_record() const {
    std::lock_guard lock(mutex_);
    return legacy_nutrient_;
}
void VirtualSensor::set_legacy_optics(bool on) {
    std::lock_guard lock(mutex_);
    legacy_optics_ = on;
}
bool VirtualSensor::legacy_optics() const {
    std::lock_guard lock(mutex_);
    return legacy_optics_;
}

void VirtualSensor::drop_next_reply() {
    std::lock_guard lock(mutex_);
    drop_next_ = true;
}
void VirtualSensor::delay_next_reply(std::chrono::milliseconds delay) {
    std::lock_guard lock(mutex_);
    delay_next_ = delay;
}
void VirtualSensor::wrong_sequence_next_reply() {
    std::lock_guard lock(mutex_);
    wrong_sequence_next_ = true;
}
void VirtualSensor::vanish_on_next_request() {
    std::lock_guard lock(mutex_);
    vanish_next_ = true;
}
void VirtualSensor::duplicate_next_reply() {
    std::lock_guard lock(mutex_);
    duplicate_next_ = true;
}
void VirtualSensor::extra_report_before_next_reply(std::vector<std::uint8_t> bytes) {
    std::lock_guard lock(mutex_);
    extra_before_next_ = std::move(bytes);
}
void VirtualSensor::queue_raw_replies(std::vector<std::vector<std::uint8_t>> reports,
                                      bool stamp_sequence) {
    std::lock_guard lock(mutex_);
    for (auto& r : reports) raw_replies_.emplace_back(std::move(r), stamp_sequence);
}
void VirtualSensor::clear_raw_replies() {
    std::lock_guard lock(mutex_);
    raw_replies_.clear();
}
void VirtualSensor::force_status(std::uint16_t code, std::uint8_t status) {
    std::lock_guard lock(mutex_);
    forced_status_[code] = status;
}
void VirtualSensor::clear_forced_status(std::uint16_t code) {
    std::lock_guard lock(mutex_);
    forced_status_.erase(code);
}
void VirtualSensor::set_reply_latency(std::chrono::milliseconds latency) {
    std::lock_guard lock(mutex_);
    latency_ = latency;
}

std::vector<link::SensorReport> VirtualSensor::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

void VirtualSensor::clear_requests() {
    std::lock_guard lock(mutex_);
    requests_.clear();
}

void VirtualSensor::set_handler(std::uint16_t code, Handler handler) {
    std::lock_guard lock(mutex_);
    handlers_[code] = std::move(handler);
}

void VirtualSensor::schedule(std::chrono::milliseconds delay, std::function<void()> action) {
    {
        std::lock_guard lock(timer_mutex_);
        timers_.push_back({std::chrono::steady_clock::now() + delay, timer_order_++, std::move(action)});
    }
    timer_wake_.notify_all();
}

void VirtualSensor::timer_loop() {
    std::unique_lock lock(timer_mutex_);
    while (!timer_stop_) {
        if (timers_.empty()) {
            timer_wake_.wait(lock);
            continue;
        }
        auto next = std::min_element(timers_.begin(), timers_.end(), [](const Timed& a, const Timed& b) {
            return a.due != b.due ? a.due < b.due : a.order < b.order;
        });
        const auto due = next->due;  // the vector may grow while the lock is released
        const auto now = std::chrono::steady_clock::now();
        if (due > now) {
            // A sleep ends tens of microseconds late; a reply latency stands for a real
            // device's, so the last stretch before it is due is spun instead of slept.
            if (due - now > timer_spin) {
                timer_wake_.wait_until(lock, due - timer_spin);
            } else {
                lock.unlock();
                common::spin_until([due] { return std::chrono::steady_clock::now() >= due; },
                                   std::chrono::duration_cast<std::chrono::microseconds>(timer_spin));
                lock.lock();
            }
            continue;
        }
        auto action = std::move(next->action);
        timers_.erase(next);
        lock.unlock();
        action();
        lock.lock();
    }
}

void VirtualSensor::start_firmware_later() {
    // The bootloader answers first, then leaves the bus; the firmware arrives a moment later.
    schedule(std::chrono::milliseconds(20), [this] {
        detach();
        set_mode(2);
        schedule(std::chrono::milliseconds(60), [this] { attach(); });
    });
}

namespace {
link::SensorReport report_from_bytes(const std::vector<std::uint8_t>& bytes) {
    link::SensorReport r;
    if (!bytes.empty()) std::memcpy(r.bytes.data(), bytes.data(), std::min(bytes.size(), link::report_size));
    return r;
}
}  // namespace

void VirtualSensor::on_request(link::VirtualPort& port, const link::SensorReport& request) {
    bool drop, wrong, vanish, duplicate;
    std::optional<std::vector<std::uint8_t>> extra;
    std::optional<std::pair<std::vector<std::uint8_t>, bool>> raw;
    std::chrono::milliseconds delay;
    std::optional<std::uint8_t> forced;
    {
        std::lock_guard lock(mutex_);
        if (requests_.size() >= request_log_limit) requests_.erase(requests_.begin());
        requests_.push_back(request);
        vanish = std::exchange(vanish_next_, false);
        drop = std::exchange(drop_next_, false);
        wrong = std::exchange(wrong_sequence_next_, false);
        duplicate = std::exchange(duplicate_next_, false);
        extra = std::exchange(extra_before_next_, std::nullopt);
        delay = std::exchange(delay_next_, std::chrono::milliseconds(0));
        if (delay.count() == 0) delay = latency_;
        auto it = forced_status_.find(request.command());
        if (it != forced_status_.end()) forced = it->second;
        if (!raw_replies_.empty()) {
            raw = std::move(raw_replies_.front());
            raw_replies_.pop_front();
            if (!raw->second) {
                extra = std::move(raw->first);
                raw.reset();
            }
        }
    }
    if (vanish) {
        schedule(std::chrono::milliseconds(0), [this] { detach(); });
        return;
    }

    link::SensorReport reply;
    if (raw) {
        reply = report_from_bytes(raw->first);
        reply.bytes[link::sequence_offset] = request.sequence();
    } else {
        Reply r = forced ? status_only(*forced) : answer(request);
        reply.bytes[link::report_id_offset] = request.report_id();
        reply.set_command(request.command());
        reply.bytes[link::sequence_offset] = request.sequence();
        reply.set_status(r.status);
        const std::size_t n = std::min(r.payload.size(), link::payload_capacity);
        reply.set_length(static_cast<std::uint8_t>(n));
        if (n) std::memcpy(reply.payload(), r.payload.data(), n);
    }
    if (wrong) reply.bytes[link::sequence_offset] = static_cast<std::uint8_t>(request.sequence() + 128);
    if (drop) return;

    std::vector<link::SensorReport> out;
    if (extra) {
        link::SensorReport stray;
        if (extra->empty()) {
            // A filler that answers nothing: the sequence number is the request's turned over.
            stray.bytes.fill(0xEE);
            stray.bytes[link::report_id_offset] = request.report_id();
            stray.bytes[link::sequence_offset] = static_cast<std::uint8_t>(~request.sequence());
        } else {
            stray = report_from_bytes(*extra);
        }
        out.push_back(stray);
    }
    out.push_back(reply);
    if (duplicate) out.push_back(reply);

    if (delay.count() > 0) {
        std::weak_ptr<link::VirtualPort> weak = port.shared_from_this();
        schedule(delay, [weak, out] {
            if (auto p = weak.lock())
                for (const auto& r : out) p->deliver(r);
        });
        return;
    }
    for (const auto& r : out) port.deliver(r);
}

Reply VirtualSensor::answer(const link::SensorReport& request) {
    const std::uint16_t code = request.command();
    Handler handler;
    {
        std::lock_guard lock(mutex_);
        // The bootloader knows only how to say what it is and to take or start a firmware.
        if (mode_ == 1 && !answered_by_bootloader(code)) return status_only(status::command_unknown);
        auto it = handlers_.find(code);
        if (it != handlers_.end()) handler = it->second;
    }
    if (handler) return handler(*this, request);
    return builtin_answer(request);
}

Reply VirtualSensor::firmware_block(const link::SensorReport& request) {
    // Called with mutex_ held.
    const std::uint8_t* in = request.payload();
    const std::uint32_t block = get_u32le(in + 1);
    const std::uint32_t count = get_u32le(in + 5);
    if (block == 0) {  // a new image; whatever an interrupted upload left is dropped
        upload_.clear();
        upload_blocks_ = 0;
        upload_short_block_ = false;
    }
    // Blocks come in order, each full but the last.
    if (in[0] != 1 || count > firmware_block_data_size || block != upload_blocks_ ||
        (count != 0 && upload_short_block_))
        return status_only(block_refused_status);
    if (count == 0) {
        // The end record: the image is complete.
        received_image_ = std::exchange(upload_, {});
        received_target_ = get_u32le(in + 9 + firmware_block_data_size);
        upload_blocks_ = 0;
        upload_short_block_ = false;
        return status_only(status::ok);
    }
    upload_.insert(upload_.end(), in + 9, in + 9 + count);
    ++upload_blocks_;
    upload_short_block_ = count < firmware_block_data_size;
    return status_only(status::ok);
}

Reply VirtualSensor::builtin_answer(const link::SensorReport& request) {
    const std::uint16_t code = request.command();
    const std::uint8_t* in = request.payload();
    std::lock_guard lock(mutex_);
    auto stored = [this](std::uint16_t read_code) {
        auto it = records_.find(read_code);
        if (it != records_.end()) return Reply{status::ok, it->second};
        const CommandInfo* info = find_command(read_code);
        return Reply{status::ok, std::vector<std::uint8_t>(info ? info->reply_bytes : 0, 0)};
    };
    // The identity as its full layout, whatever length was stored.
    auto identity = [this]() -> std::vector<std::uint8_t>& {
        auto& id = records_[cmd::read_identity];
        if (id.size() < device_identity_size) id.resize(device_identity_size, 0);
        return id;
    };

    switch (code) {
        case cmd::read_device_info_old: {
            const auto& id = identity();
            OldDeviceInfo info;
            info.identity_valid = 1;
            info.mode = mode_;
            std::memcpy(info.name.data(), id.data() + 2, info.name.size());
            info.device_type_number = old_type_number(options_.device_type);
            info.serial_number = common::get_u16le(id.data() + 24);
            info.bootloader_version = options_.bootloader_version;
            auto b = encode_old_device_info(info);
            return Reply{status::ok, {b.begin(), b.end()}};
        }
        case cmd::write_identity_old: {
            auto& id = identity();
            std::memcpy(id.data(), in, old_identity_size);
            id[0] = 2;
            return status_only(status::ok);
        }
        case cmd::start_firmware:
            if (mode_ == 1) start_firmware_later();
            return status_only(status::ok);
        case cmd::firmware_block: return firmware_block(request);
        case cmd::read_identity:
            if (legacy_identity_) return status_only(status::command_unknown);
            return stored(cmd::read_identity);
        case cmd::write_identity:
            if (legacy_identity_) return status_only(status::command_unknown);
            records_[cmd::read_identity].assign(in, in + device_identity_size);
            return status_only(status::ok);
        case cmd::read_kind: {
            if (legacy_identity_) return status_only(status::command_unknown);
            DeviceKind kind{0, mode_, options_.device_type, options_.bootloader_version};
            auto b = encode_device_kind(kind);
            return Reply{status::ok, {b.begin(), b.end()}};
        }
        case cmd::read_software_version:
        case cmd::read_status: return stored(code);
        case cmd::toggle_led:
            led_on_ = !led_on_;
            return status_only(status::ok);
        case cmd::start_optics_test:
            if (legacy_optics_) return status_only(status::optics_unknown);
            return status_only(status::ok);
        // The optics light up for the live test and go dark again; nothing to keep.
        case cmd::start_optics_test_old:
        case cmd::stop_optics_test: return status_only(status::ok);
        default: break;
    }
    for (auto [write_code, read_code] : stored_pairs) {
        if (code == read_code) return stored(code);
        if (code == write_code) {
            const CommandInfo* info = find_command(code);
            const std::size_t n = info ? info->request_bytes : 0;
            records_[read_code].assign(in, in + n);
            return status_only(status::ok);
        }
    }
    // Anything else, in the catalogue or not, is a command this sensor does not know: never a
    // success with an empty record that a caller would take for the sensor's own.
    return status_only(status::command_unknown);
}

std::vector<std::uint8_t> VirtualSensor::received_image(std::uint32_t* target) const {
    std::lock_guard lock(mutex_);
    if (target) *target = received_target_;
    return received_image_;
}

}  // namespace quelmar::virtual_sensor
