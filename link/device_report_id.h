#pragma once
// The report id an open HID device declares, read the way the platform allows: on Linux from
// the hidraw node's report descriptor in sysfs, in the portable build from hidapi when its
// version has the call for it. The build chooses which one is compiled.

#include <hidapi/hidapi.h>

#include <string>

namespace quelmar::link {

// 0 or 1 as the device's report descriptor declares; -1 when the descriptor cannot be had
// here, in which case the link keeps the id it used before.
int read_device_report_id(hid_device* handle, const std::string& path);

// Linux only: the sysfs file that holds a hidraw node's report descriptor ("" for a path that
// is not a hidraw node).
std::string report_descriptor_path(const std::string& device_path);

}  // namespace quelmar::link
