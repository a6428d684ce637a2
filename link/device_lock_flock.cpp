#include "link/device_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace quelmar::link {

DeviceLock::~DeviceLock() { release(); }

bool DeviceLock::held() const { return fd_ >= 0; }

LockOutcome DeviceLock::acquire(const std::string& path) {
    release();
    // Non-blocking, so that opening a terminal-like node can never wait for a carrier; the
    // descriptor is only ever used for the lock.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return LockOutcome::failed;
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        const int error = errno;
        ::close(fd);
        return error == EWOULDBLOCK ? LockOutcome::in_use : LockOutcome::failed;
    }
    fd_ = fd;
    return LockOutcome::locked;
}

void DeviceLock::release() {
    if (fd_ < 0) return;
    ::close(fd_);  // closing the last descriptor of the open file drops the lock
    fd_ = -1;
}

bool DeviceLock::names_device() const {
    struct stat st {};
    return fd_ >= 0 && ::fstat(fd_, &st) == 0 && S_ISCHR(st.st_mode);
}

}  // namespace quelmar::link
