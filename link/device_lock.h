#pragma once
// Holding a device node for one program. Linux hands a copy of every input report to every
// reader of a hidraw node, so a second program talking to the same sensor would feed its
// replies into our exchanges. Programs that open sensors take an advisory lock on the node
// first; a node already locked is reported as in use instead of being shared.

#include <string>

namespace quelmar::link {

enum class LockOutcome {
    locked,
    in_use,  // another open of the node holds the lock
    failed,  // the node cannot be opened
};

// The lock on one node, held until release() or destruction. Never waits for a holder.
class DeviceLock {
public:
    DeviceLock() = default;
    ~DeviceLock();
    DeviceLock(const DeviceLock&) = delete;
    DeviceLock& operator=(const DeviceLock&) = delete;

    LockOutcome acquire(const std::string& path);  // releases a lock held before
    void release();
    bool held() const { return fd_ >= 0; }
    // Whether the held node is a character device (as every hidraw node is).
    bool character_device() const;

private:
    int fd_ = -1;
};

}  // namespace quelmar::link
