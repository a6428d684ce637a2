#include "link/device_lock.h"

namespace quelmar::link {

// No node lock here: the platform's HID open is exclusive or it is not, and a lock of ours
// could not change that (see the header).
DeviceLock::~DeviceLock() = default;
LockOutcome DeviceLock::acquire(const std::string&) { return LockOutcome::locked; }
void DeviceLock::release() {}
bool DeviceLock::held() const { return false; }
bool DeviceLock::character_device() const { return true; }

}  // namespace quelmar::link
