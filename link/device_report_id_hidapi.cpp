#include <cstdint>
#include <span>

#include "link/device_report_id.h"
#include "link/hid_descriptor.h"

namespace quelmar::link {

int read_device_report_id(hid_device* handle, const std::string&) {
#if defined(QUELMAR_HAVE_HID_GET_REPORT_DESCRIPTOR)
    // The largest descriptor HID allows; the sensor's is a few dozen bytes.
    std::uint8_t bytes[4096];
    if (!handle) return -1;
    const int n = hid_get_report_descriptor(handle, bytes, sizeof bytes);
    if (n <= 0) return -1;
    const std::size_t size = static_cast<std::size_t>(n) < sizeof bytes ? static_cast<std::size_t>(n) : sizeof bytes;
    if (auto id = report_id_from_descriptor(std::span<const std::uint8_t>(bytes, size))) return *id;
    return -1;
#else
    // This hidapi cannot give the descriptor (the call came with 0.14).
    (void)handle;
    return -1;
#endif
}

}  // namespace quelmar::link
