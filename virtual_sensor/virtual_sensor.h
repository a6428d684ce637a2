#pragma once
// The stand-in sensor: it speaks the real report protocol through the virtual bus, so the
// program and the tests exercise the same link code a USB sensor would. It keeps every record
// as the sensor would (a read returns what the matching write stored, with factory defaults
// before that), answers the commands it implements and gives every other one the unknown-
// command status (9), as does its bootloader for all but identity, kind, status, starting the
// firmware and the upgrade blocks. It switches from bootloader to firmware, can act as older
// firmware, and takes fault injection.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "link/sensor_report.h"
#include "link/virtual_bus.h"

namespace quelmar::virtual_sensor {

struct VirtualSensorOptions {
    std::string path;  // empty: the bus picks "virtual:N"
    std::string hardware_id = "VIRTUAL\\VID_04D8&PID_E968";
    std::string name = "Virtual Sensor";
    std::uint16_t serial_number = 1001;
    std::uint16_t board_serial_number = 7;
    std::uint8_t mode = 2;  // 1 bootloader, 2 firmware
    std::uint16_t device_type = 7323;
    std::uint8_t bootloader_version = 3;
    std::string software_version = "1.3.3";
    std::int32_t supply_mv = 12100;
    std::int32_t temperature_mdegc = 21500;
    std::int32_t hardware_variant = 6;
    std::uint8_t report_id = 0;  // 1: the device declares numbered reports
};

// Status of an upgrade block that is malformed or out of order.
constexpr std::uint8_t block_refused_status = 3;
constexpr std::size_t firmware_block_data_size = 64;

struct Reply {
    std::uint8_t status = 0;
    std::vector<std::uint8_t> payload;
};

class VirtualSensor {
public:
    explicit VirtualSensor(VirtualSensorOptions options = {});
    ~VirtualSensor();
    VirtualSensor(const VirtualSensor&) = delete;
    VirtualSensor& operator=(const VirtualSensor&) = delete;

    // Plugging in and out raise arrival and removal like a USB cable.
    void attach();
    void detach();
    bool attached() const;
    std::string path() const;

    std::uint8_t mode() const;  // 1 bootloader, 2 firmware
    void set_mode(std::uint8_t mode);

    // The record a read command answers with; a write command replaces it.
    std::vector<std::uint8_t> record(std::uint16_t read_code) const;
    void set_record(std::uint16_t read_code, std::vector<std::uint8_t> bytes);
    // Processing-parameter records are kept by their length.
    std::vector<std::uint8_t> parameter_record(std::uint32_t length) const;
    void set_parameter_record(std::vector<std::uint8_t> bytes);

    // Acting as older firmware.
    void set_legacy_identity(bool on);        // 9 for 260/261/262; answers 256/257
    void set_legacy_nutrient_record(bool on); // 4 for a 402/403 record other than 23 bytes
    bool legacy_nutrient_record() const;
    void set_legacy_optics(bool on);          // 8 for 626
    bool legacy_optics() const;

    // Fault injection; each "next" fault applies to the next request only.
    void drop_next_reply();
    void delay_next_reply(std::chrono::milliseconds delay);  // delivered late all the same
    void wrong_sequence_next_reply();
    void vanish_on_next_request();  // no reply, and the sensor leaves the bus
    // One report too many: the next reply is sent twice, or a report that answers nothing
    // (`bytes`, zero-filled to 129; by default a filler whose sequence number is not the
    // request's) arrives ahead of it.
    void duplicate_next_reply();
    void extra_report_before_next_reply(std::vector<std::uint8_t> bytes = {});
    // The next requests are answered with these reports (each zero-filled to 129 bytes), one
    // each. With `stamp_sequence` a report carries the request's sequence number and stands in
    // for the sensor's answer, which the sensor does not act on. Without it the report keeps
    // its own sequence number and comes as a stray ahead of the sensor's own answer.
    void queue_raw_replies(std::vector<std::vector<std::uint8_t>> reports, bool stamp_sequence = true);
    void clear_raw_replies();
    void force_status(std::uint16_t code, std::uint8_t status);  // until cleared
    void clear_forced_status(std::uint16_t code);
    // Delay every reply by this much (0: answer at once).
    void set_reply_latency(std::chrono::milliseconds latency);

    // The last image whose end record was accepted (command 259), and its target address.
    std::vector<std::uint8_t> received_image(std::uint32_t* target = nullptr) const;

    // Every request received, oldest first (the latest 4096).
    std::vector<link::SensorReport> requests() const;
    void clear_requests();

    // The commands a feature adds: the handler runs on the host's writing thread without the
    // sensor's lock, and its reply is subject to the faults above.
    using Handler = std::function<Reply(VirtualSensor&, const link::SensorReport& request)>;
    void set_handler(std::uint16_t code, Handler handler);
    // The sensor's own answer, for a handler that adds to a built-in command.
    Reply builtin_reply(const link::SensorReport& request) { return builtin_answer(request); }

    // Runs `action` on the sensor's own timer thread after `delay`.
    void schedule(std::chrono::milliseconds delay, std::function<void()> action);

    const VirtualSensorOptions& options() const { return options_; }

    // Per-feature state that handlers keep on the sensor (created on first use).
    template <class T>
    std::shared_ptr<T> feature_state(const std::string& key);

private:
    void on_request(link::VirtualPort& port, const link::SensorReport& request);
    Reply answer(const link::SensorReport& request);
    Reply builtin_answer(const link::SensorReport& request);
    Reply firmware_block(const link::SensorReport& request);
    void timer_loop();
    void start_firmware_later();

    const VirtualSensorOptions options_;
    mutable std::mutex mutex_;
    std::shared_ptr<link::VirtualPort> port_;
    std::string path_;
    std::uint8_t mode_;
    std::map<std::uint16_t, std::vector<std::uint8_t>> records_;
    std::map<std::uint32_t, std::vector<std::uint8_t>> parameter_records_;
    std::map<std::uint16_t, Handler> handlers_;
    std::map<std::uint16_t, std::uint8_t> forced_status_;
    std::map<std::string, std::shared_ptr<void>> feature_states_;
    bool legacy_identity_ = false;
    bool legacy_nutrient_ = false;
    bool legacy_optics_ = false;
    bool drop_next_ = false;
    bool wrong_sequence_next_ = false;
    bool vanish_next_ = false;
    bool duplicate_next_ = false;
    std::optional<std::vector<std::uint8_t>> extra_before_next_;
    std::deque<std::pair<std::vector<std::uint8_t>, bool>> raw_replies_;
    std::chrono::milliseconds delay_next_{0};
    std::chrono::milliseconds latency_{0};
    std::vector<link::SensorReport> requests_;
    bool led_on_ = false;
    std::vector<std::uint8_t> upload_;  // blocks of the image being received
    std::uint32_t upload_blocks_ = 0;
    bool upload_short_block_ = false;
    std::vector<std::uint8_t> received_image_;
    std::uint32_t received_target_ = 0;

    struct Timed {
        std::chrono::steady_clock::time_point due;
        std::uint64_t order;
        std::function<void()> action;
    };
    std::mutex timer_mutex_;
    std::condition_variable timer_wake_;
    std::vector<Timed> timers_;
    std::uint64_t timer_order_ = 0;
    bool timer_stop_ = false;
    std::thread timer_thread_;
};

template <class T>
std::shared_ptr<T> VirtualSensor::feature_state(const std::string& key) {
    std::lock_guard lock(mutex_);
    auto& slot = feature_states_[key];
    if (!slot) slot = std::make_shared<T>();
    return std::static_pointer_cast<T>(slot);
}

// Installs the commands of every feature; called by the constructor. Each feature adds its
// own install function here.
void install_feature_handlers(VirtualSensor& sensor);

}  // namespace quelmar::virtual_sensor
