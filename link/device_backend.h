#pragma once
// A device backend is a small record of functions over one open device interface: the link's
// worker writes and reads whole 129-byte reports through it and knows nothing else about the
// device. A hidraw path opens the hidapi backend, a "virtual:" path the in-process bus.

#include <cstdint>
#include <functional>
#include <string>

namespace quelmar::link {

enum class ReadOutcome {
    report,     // one 129-byte report was read (byte 0 is the report id)
    timed_out,  // nothing arrived within the time given, or the read was cancelled
    failed,     // the device is gone or the read failed
};

struct DeviceBackend {
    // Writes one 129-byte report; byte 0 is the report id. False when the write failed.
    std::function<bool(const std::uint8_t* report)> write_report;
    // Reads one report into a 129-byte buffer, waiting at most `timeout_ms`.
    std::function<ReadOutcome(std::uint8_t* report, int timeout_ms)> read_report;
    // Makes a read in progress (or the next one) return at once; safe from any thread.
    std::function<void()> cancel;
    // Discards input reports already queued; called only from the thread that reads.
    std::function<void()> flush;
    std::function<void()> close;
    // The report id decided from the device's descriptor; -1 when it could not be read, in
    // which case the link keeps the id it used before.
    int report_id = -1;
};

enum class OpenOutcome {
    opened,
    in_use,  // another program (or another link) has the device open
    failed,
};

// Opens the device interface named by `path` with the backend its form selects. The device
// is held exclusively until the backend's close.
OpenOutcome open_device_backend(const std::string& path, DeviceBackend& backend);

}  // namespace quelmar::link
