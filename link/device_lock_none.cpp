#include <algorithm>

#include "link/device_lock.h"
#include "link/hidapi_backend.h"

namespace quelmar::link {

// No node lock here: the platform's HID open is exclusive or it is not, and a lock of ours
// could not change that (see the header).
DeviceLock::~DeviceLock() = default;

LockOutcome DeviceLock::acquire(const std::string& path) {
    path_ = path;
    return LockOutcome::locked;
}

void DeviceLock::release() { path_.clear(); }

bool DeviceLock::held() const { return false; }

// Any path can be handed in (a stale list entry, a typed path); hidapi is only given one it
// lists itself, which costs a listing per open and spares the open of a file that is none.
bool DeviceLock::names_device() const {
    if (path_.empty()) return false;
    const auto listed = try_list_hid_interfaces();
    return listed && std::any_of(listed->begin(), listed->end(),
                                 [this](const InterfaceInfo& i) { return i.path == path_; });
}

}  // namespace quelmar::link
