#include <libudev.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>

#include "link/hotplug_monitor.h"

namespace quelmar::link {

namespace {
void monitor_loop(udev* context, udev_monitor* monitor, int stop_fd, const DeviceListener& report) {
    pollfd fds[2] = {{udev_monitor_get_fd(monitor), POLLIN, 0}, {stop_fd, POLLIN, 0}};
    for (;;) {
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (fds[1].revents) break;
        if (!(fds[0].revents & POLLIN)) continue;
        udev_device* dev = udev_monitor_receive_device(monitor);
        if (!dev) continue;
        const char* action = udev_device_get_action(dev);
        const char* node = udev_device_get_devnode(dev);
        if (action && node) {
            if (std::strcmp(action, "add") == 0)
                report({device_event_arrival, node});
            else if (std::strcmp(action, "remove") == 0)
                report({device_event_removal, node});
        }
        udev_device_unref(dev);
    }
    udev_monitor_unref(monitor);
    udev_unref(context);
}

struct UdevThread {
    int wake_fd = -1;
    std::mutex join_mutex;
    std::thread thread;

    void end() {
        std::lock_guard lock(join_mutex);
        if (!thread.joinable()) return;
        std::uint64_t one = 1;
        (void)!write(wake_fd, &one, sizeof one);
        thread.join();
    }
    ~UdevThread() {
        end();
        if (wake_fd >= 0) close(wake_fd);
    }
};
}  // namespace

HotplugMonitor make_hotplug_monitor(DeviceListener report) {
    HotplugMonitor result{"libudev", {}};
    udev* context = udev_new();
    if (!context) return result;
    udev_monitor* monitor = udev_monitor_new_from_netlink(context, "udev");
    if (!monitor) {
        udev_unref(context);
        return result;
    }
    if (udev_monitor_filter_add_match_subsystem_devtype(monitor, "hidraw", nullptr) < 0 ||
        udev_monitor_enable_receiving(monitor) < 0) {
        udev_monitor_unref(monitor);
        udev_unref(context);
        return result;
    }
    auto state = std::make_shared<UdevThread>();
    state->wake_fd = eventfd(0, EFD_CLOEXEC);
    if (state->wake_fd < 0) {
        udev_monitor_unref(monitor);
        udev_unref(context);
        return result;
    }
    try {
        state->thread = std::thread([context, monitor, fd = state->wake_fd, report = std::move(report)] {
            monitor_loop(context, monitor, fd, report);
        });
    } catch (...) {
        udev_monitor_unref(monitor);
        udev_unref(context);
        return result;
    }
    result.stop = [state] { state->end(); };
    return result;
}

}  // namespace quelmar::link
