#pragma once
// The in-process bus that virtual sensors plug into. A virtual device gets an interface path
// ("virtual:N") and a hardware id text like a real one, so discovery filters it the same way,
// and plugging or unplugging it raises the same arrival and removal events as a USB cable.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "link/device_backend.h"
#include "link/sensor_report.h"

namespace quelmar::link {

// One virtual cable between the host's link and a device. The host writes requests into it
// (the device's handler sees each at once, on the writing thread) and reads what the device
// delivers back. Once unplugged it stays dead: a device that comes back gets a new port.
class VirtualPort : public std::enable_shared_from_this<VirtualPort> {
public:
    // Called on the host's writing thread with the port the request came through.
    using RequestHandler = std::function<void(VirtualPort& port, const SensorReport& request)>;

    VirtualPort(std::string path, std::string hardware_id, RequestHandler handler,
                std::uint8_t report_id = 0);

    const std::string& path() const { return path_; }
    std::uint8_t report_id() const { return report_id_; }  // what its descriptor declares
    const std::string& hardware_id() const { return hardware_id_; }

    // Device side.
    void deliver(const SensorReport& reply);  // queued for the host while plugged in and open
    bool plugged() const;

    // Host side (the backend).
    OpenOutcome open();  // exclusive, like a device opened without sharing
    void close();
    bool write(const std::uint8_t* report);
    ReadOutcome read(std::uint8_t* report, int timeout_ms);
    void cancel();
    void flush();

    // Bus side.
    void unplug();  // waits until no request is being handled

private:
    const std::string path_;
    const std::string hardware_id_;
    const RequestHandler handler_;
    const std::uint8_t report_id_;
    mutable std::mutex mutex_;
    std::condition_variable input_ready_;
    std::condition_variable idle_;
    std::deque<SensorReport> input_;
    bool plugged_ = true;
    bool open_ = false;
    bool cancelled_ = false;
    int handling_ = 0;
};

struct InterfaceInfo {
    std::string path;
    std::string hardware_id;
};

// A port not yet plugged in; `path` empty picks the next free "virtual:N".
std::shared_ptr<VirtualPort> make_virtual_port(const std::string& path,
                                               const std::string& hardware_id,
                                               VirtualPort::RequestHandler handler,
                                               std::uint8_t report_id = 0);
// Plugs the port into the bus and raises an arrival. False if its path is in use or the
// port was unplugged before (a device that comes back gets a new port).
bool plug_virtual_device(const std::shared_ptr<VirtualPort>& port);
// Unplugs it (no-op if already gone) and raises a removal. Must not be called from inside
// the port's own request handler.
void unplug_virtual_device(const std::shared_ptr<VirtualPort>& port);

std::vector<InterfaceInfo> list_virtual_interfaces();
bool is_virtual_path(const std::string& path);
OpenOutcome open_virtual_backend(const std::string& path, DeviceBackend& backend);

}  // namespace quelmar::link
