#include "link/virtual_bus.h"

#include <chrono>
#include <cstring>

#include "link/device_events.h"

namespace quelmar::link {

VirtualPort::VirtualPort(std::string path, std::string hardware_id, RequestHandler handler,
                         std::uint8_t report_id)
    : path_(std::move(path)),
      hardware_id_(std::move(hardware_id)),
      handler_(std::move(handler)),
      report_id_(report_id) {}

void VirtualPort::deliver(const SensorReport& reply) {
    std::lock_guard lock(mutex_);
    if (!plugged_ || !open_) return;
    input_.push_back(reply);
    input_ready_.notify_all();
}

bool VirtualPort::plugged() const {
    std::lock_guard lock(mutex_);
    return plugged_;
}

OpenOutcome VirtualPort::open() {
    std::lock_guard lock(mutex_);
    if (!plugged_) return OpenOutcome::failed;
    if (open_) return OpenOutcome::in_use;
    open_ = true;
    cancelled_ = false;
    input_.clear();
    return OpenOutcome::opened;
}

void VirtualPort::close() {
    std::lock_guard lock(mutex_);
    open_ = false;
    input_.clear();
    input_ready_.notify_all();
}

bool VirtualPort::write(const std::uint8_t* report) {
    SensorReport request;
    {
        std::lock_guard lock(mutex_);
        if (!plugged_ || !open_) return false;
        ++handling_;
    }
    std::memcpy(request.bytes.data(), report, report_size);
    handler_(*this, request);
    std::lock_guard lock(mutex_);
    if (--handling_ == 0) idle_.notify_all();
    return true;
}

ReadOutcome VirtualPort::read(std::uint8_t* report, int timeout_ms) {
    std::unique_lock lock(mutex_);
    input_ready_.wait_for(lock, std::chrono::milliseconds(timeout_ms), [this] {
        return !input_.empty() || cancelled_ || !plugged_ || !open_;
    });
    if (!plugged_ || !open_) return ReadOutcome::failed;
    if (cancelled_) {
        cancelled_ = false;
        return ReadOutcome::timed_out;
    }
    if (input_.empty()) return ReadOutcome::timed_out;
    std::memcpy(report, input_.front().bytes.data(), report_size);
    input_.pop_front();
    return ReadOutcome::report;
}

void VirtualPort::cancel() {
    std::lock_guard lock(mutex_);
    cancelled_ = true;
    input_ready_.notify_all();
}

void VirtualPort::flush() {
    std::lock_guard lock(mutex_);
    input_.clear();
}

void VirtualPort::unplug() {
    std::unique_lock lock(mutex_);
    plugged_ = false;
    input_.clear();
    input_ready_.notify_all();
    idle_.wait(lock, [this] { return handling_ == 0; });
}

namespace {
std::mutex bus_mutex;
std::vector<std::shared_ptr<VirtualPort>>& bus_ports() {
    static std::vector<std::shared_ptr<VirtualPort>> ports;
    return ports;
}
unsigned next_port_number = 1;
constexpr const char* virtual_prefix = "virtual:";
}  // namespace

bool is_virtual_path(const std::string& path) {
    return path.rfind(virtual_prefix, 0) == 0;
}

std::shared_ptr<VirtualPort> make_virtual_port(const std::string& path,
                                               const std::string& hardware_id,
                                               VirtualPort::RequestHandler handler,
                                               std::uint8_t report_id) {
    std::string chosen = path;
    if (chosen.empty()) {
        std::lock_guard lock(bus_mutex);
        chosen = virtual_prefix + std::to_string(next_port_number++);
    }
    return std::make_shared<VirtualPort>(chosen, hardware_id, std::move(handler), report_id);
}

bool plug_virtual_device(const std::shared_ptr<VirtualPort>& port) {
    if (!port || !port->plugged()) return false;
    {
        std::lock_guard lock(bus_mutex);
        for (auto& p : bus_ports())
            if (p->path() == port->path()) return false;
        bus_ports().push_back(port);
    }
    raise_device_change({device_event_arrival, port->path()});
    return true;
}

void unplug_virtual_device(const std::shared_ptr<VirtualPort>& port) {
    if (!port) return;
    bool found = false;
    {
        std::lock_guard lock(bus_mutex);
        auto& ports = bus_ports();
        for (auto it = ports.begin(); it != ports.end(); ++it) {
            if (*it == port) {
                ports.erase(it);
                found = true;
                break;
            }
        }
    }
    port->unplug();
    if (found) raise_device_change({device_event_removal, port->path()});
}

std::vector<InterfaceInfo> list_virtual_interfaces() {
    std::lock_guard lock(bus_mutex);
    std::vector<InterfaceInfo> out;
    for (auto& p : bus_ports()) out.push_back({p->path(), p->hardware_id()});
    return out;
}

OpenOutcome open_virtual_backend(const std::string& path, DeviceBackend& backend) {
    std::shared_ptr<VirtualPort> port;
    {
        std::lock_guard lock(bus_mutex);
        for (auto& p : bus_ports())
            if (p->path() == path) port = p;
    }
    if (!port) return OpenOutcome::failed;
    if (const OpenOutcome opened = port->open(); opened != OpenOutcome::opened) return opened;
    backend.write_report = [port](const std::uint8_t* r) { return port->write(r); };
    backend.read_report = [port](std::uint8_t* r, int ms) { return port->read(r, ms); };
    backend.cancel = [port] { port->cancel(); };
    backend.flush = [port] { port->flush(); };
    backend.close = [port] { port->close(); };
    backend.report_id = port->report_id();
    return OpenOutcome::opened;
}

}  // namespace quelmar::link
