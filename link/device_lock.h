#pragma once
// Holding a device node for one program. Linux hands a copy of every input report to every
// reader of a hidraw node, so a second program talking to the same sensor would feed its
// replies into our exchanges. Programs that open sensors take an advisory lock on the node
// first; a node already locked is reported as in use instead of being shared.
//
// That is Linux's answer. The portable build has no node lock: elsewhere a device path names
// no file to lock, and whether a second open of the same sensor is refused is the system's HID
// open's business (hidapi seizes the device on macOS; on Windows it opens it shared, so two
// programs there can see each other's replies, and the link drops those whose sequence number
// is not its own). There the lock always reports `locked` and never `in_use`.

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
    // Whether a lock on the system's side is held (never, where there is no such lock).
    bool held() const;
    // Whether what the lock was taken for is a device that hidapi may be handed: only a
    // device goes to hidapi, whose Linux open crashes on its way out of anything else. Here a
    // character device node (as every hidraw node is); where there is no node lock, a path
    // that hidapi itself lists.
    bool names_device() const;

private:
    int fd_ = -1;
    std::string path_;  // where there is no node lock: what acquire() was given
};

}  // namespace quelmar::link
