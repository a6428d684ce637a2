#include "link/hidapi_backend.h"

#include <hidapi/hidapi.h>

#include <atomic>
#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>

#include "common/text.h"
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

struct HidDevice {
    hid_device* handle = nullptr;
    std::uint8_t report_id = 0;
    std::atomic<bool> cancelled{false};
};

// hidapi's read cannot be interrupted from another thread, so a read waits in short slices
// and checks the cancel mark between them.
constexpr int hid_slice_ms = 10;
}  // namespace

std::string hardware_id_text(std::uint16_t vendor_id, std::uint16_t product_id) {
    return common::format_text("HID\\VID_%04X&PID_%04X", vendor_id, product_id);
}

std::vector<InterfaceInfo> list_hid_interfaces() {
    std::vector<InterfaceInfo> out;
    if (!hid_ready()) return out;
    hid_device_info* list = hid_enumerate(0, 0);
    for (hid_device_info* d = list; d; d = d->next) {
        if (!d->path) continue;
        out.push_back({d->path, hardware_id_text(d->vendor_id, d->product_id)});
    }
    hid_free_enumeration(list);
    return out;
}

bool open_hidapi_backend(const std::string& path, DeviceBackend& backend) {
    if (!hid_ready()) return false;
    hid_device* handle = hid_open_path(path.c_str());
    if (!handle) return false;
    auto dev = std::make_shared<HidDevice>();
    dev->handle = handle;

    backend.report_id = -1;
    const std::string descriptor_file = report_descriptor_path(path);
    if (!descriptor_file.empty()) {
        std::ifstream in(descriptor_file, std::ios::binary);
        std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                        std::istreambuf_iterator<char>());
        if (auto id = report_id_from_descriptor(bytes)) backend.report_id = *id;
    }
    dev->report_id = backend.report_id > 0 ? 1 : 0;

    backend.write_report = [dev](const std::uint8_t* report) {
        return hid_write(dev->handle, report, report_size) >= 0;
    };
    backend.read_report = [dev](std::uint8_t* report, int timeout_ms) {
        int waited = 0;
        do {
            if (dev->cancelled.exchange(false)) return ReadOutcome::timed_out;
            const int slice = timeout_ms - waited < hid_slice_ms ? timeout_ms - waited : hid_slice_ms;
            // A numbered report arrives with its id in front; an unnumbered one without.
            int n = dev->report_id ? hid_read_timeout(dev->handle, report, report_size, slice)
                                   : hid_read_timeout(dev->handle, report, report_size - 1, slice);
            if (n < 0) return ReadOutcome::failed;
            if (n > 0) {
                normalise_input_report(report, static_cast<std::size_t>(n), dev->report_id);
                return ReadOutcome::report;
            }
            waited += slice;
        } while (waited < timeout_ms);
        return ReadOutcome::timed_out;
    };
    backend.cancel = [dev] { dev->cancelled.store(true); };
    backend.flush = [dev] {
        std::uint8_t scratch[report_size];
        for (int i = 0; i < 1024 && hid_read_timeout(dev->handle, scratch, sizeof scratch, 0) > 0; ++i) {
        }
        dev->cancelled.store(false);
    };
    backend.close = [dev] {
        if (dev->handle) hid_close(dev->handle);
        dev->handle = nullptr;
    };
    return true;
}

bool open_device_backend(const std::string& path, DeviceBackend& backend) {
    if (is_virtual_path(path)) return open_virtual_backend(path, backend);
    return open_hidapi_backend(path, backend);
}

}  // namespace quelmar::link
