#include "link/hidapi_backend.h"

#include <hidapi/hidapi.h>

#include <atomic>
#include <memory>
#include <mutex>

#include "common/text.h"
#include "link/device_lock.h"
#include "link/device_report_id.h"
#include "link/hid_descriptor.h"
#include "link/sensor_report.h"

namespace quelmar::link {

namespace {
bool hid_ready() {
    static std::once_flag once;
    static bool ok = false;
    std::call_once(once, [] { ok = hid_init() == 0; });
    return ok;
}

// hidapi keeps the error text of its enumerate and open calls in one global, freed and
// replaced by every such call: two threads in them at once (the hot-plug monitor listing the
// interfaces while the user interface lists or opens one) could free it twice. Per-device
// calls keep their errors with the device and need no lock.
std::mutex& hid_global_calls() {
    static std::mutex m;
    return m;
}

struct HidState {
    RawHidDevice raw;
    std::atomic<std::uint8_t> report_id{0};
    std::atomic<bool> cancelled{false};
    std::mutex close_mutex;
    bool closed = false;
};

// hidapi's read cannot be interrupted from another thread, so a read waits in short slices
// and checks the cancel mark between them.
constexpr int hid_slice_ms = 10;
}  // namespace

std::string hardware_id_text(std::uint16_t vendor_id, std::uint16_t product_id) {
    return common::format_text("HID\\VID_%04X&PID_%04X", vendor_id, product_id);
}

std::optional<std::vector<InterfaceInfo>> try_list_hid_interfaces() {
    if (!hid_ready()) return std::nullopt;
    std::vector<InterfaceInfo> out;
    std::lock_guard lock(hid_global_calls());
    hid_device_info* list = hid_enumerate(0, 0);
    for (hid_device_info* d = list; d; d = d->next) {
        if (!d->path) continue;
        out.push_back({d->path, hardware_id_text(d->vendor_id, d->product_id)});
    }
    hid_free_enumeration(list);
    return out;
}

std::vector<InterfaceInfo> list_hid_interfaces() {
    auto all = try_list_hid_interfaces();
    return all ? std::move(*all) : std::vector<InterfaceInfo>{};
}

DeviceBackend make_hid_backend(RawHidDevice raw, int descriptor_report_id) {
    auto dev = std::make_shared<HidState>();
    dev->raw = std::move(raw);
    dev->report_id.store(descriptor_report_id > 0 ? 1 : 0);

    DeviceBackend backend;
    backend.report_id = descriptor_report_id;
    backend.write_report = [dev](const std::uint8_t* report) {
        dev->report_id.store(report[report_id_offset]);
        return dev->raw.write(report, report_size) >= 0;
    };
    backend.read_report = [dev](std::uint8_t* report, int timeout_ms) {
        int waited = 0;
        do {
            if (dev->cancelled.exchange(false)) return ReadOutcome::timed_out;
            const int slice = timeout_ms - waited < hid_slice_ms ? timeout_ms - waited : hid_slice_ms;
            const std::uint8_t id = dev->report_id.load();
            // A numbered report arrives with its id in front; an unnumbered one without.
            const int n = dev->raw.read(report, id ? report_size : report_size - 1, slice);
            if (n < 0) return ReadOutcome::failed;
            if (n > 0) {
                return normalise_input_report(report, static_cast<std::size_t>(n), id)
                           ? ReadOutcome::report
                           : ReadOutcome::failed;
            }
            waited += slice;
        } while (waited < timeout_ms);
        return ReadOutcome::timed_out;
    };
    backend.cancel = [dev] { dev->cancelled.store(true); };
    backend.flush = [dev] {
        std::uint8_t scratch[report_size];
        for (int i = 0; i < 1024 && dev->raw.read(scratch, sizeof scratch, 0) > 0; ++i) {
        }
        dev->cancelled.store(false);
    };
    backend.close = [dev] {
        std::lock_guard lock(dev->close_mutex);
        if (dev->closed) return;
        dev->closed = true;
        if (dev->raw.close) dev->raw.close();
    };
    return backend;
}

OpenOutcome open_hidapi_backend(const std::string& path, DeviceBackend& backend) {
    auto lock = std::make_shared<DeviceLock>();
    switch (lock->acquire(path)) {
        case LockOutcome::locked: break;
        case LockOutcome::in_use: return OpenOutcome::in_use;
        case LockOutcome::failed: return OpenOutcome::failed;
    }
    if (!lock->names_device() || !hid_ready()) return OpenOutcome::failed;
    hid_device* handle;
    {
        std::lock_guard global(hid_global_calls());
        handle = hid_open_path(path.c_str());
    }
    if (!handle) return OpenOutcome::failed;
    const int report_id = read_device_report_id(handle, path);

    RawHidDevice raw;
    raw.write = [handle](const std::uint8_t* data, std::size_t length) {
        return hid_write(handle, data, length);
    };
    raw.read = [handle](std::uint8_t* data, std::size_t length, int timeout_ms) {
        return hid_read_timeout(handle, data, length, timeout_ms);
    };
    // The lock lives as long as the device is open and goes with it.
    raw.close = [handle, lock] {
        hid_close(handle);
        lock->release();
    };
    backend = make_hid_backend(std::move(raw), report_id);
    return OpenOutcome::opened;
}

OpenOutcome open_device_backend(const std::string& path, DeviceBackend& backend) {
    if (is_virtual_path(path)) return open_virtual_backend(path, backend);
    return open_hidapi_backend(path, backend);
}

}  // namespace quelmar::link
