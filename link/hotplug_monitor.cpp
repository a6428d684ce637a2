#include "link/hotplug_monitor.h"

#include <libudev.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <thread>

#include "link/device_events.h"

namespace quelmar::link {

namespace {
std::mutex monitor_mutex;
std::thread monitor_thread;
int wake_fd = -1;

void monitor_loop(udev* context, udev_monitor* monitor, int stop_fd) {
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
                raise_device_change({device_event_arrival, node});
            else if (std::strcmp(action, "remove") == 0)
                raise_device_change({device_event_removal, node});
        }
        udev_device_unref(dev);
    }
    udev_monitor_unref(monitor);
    udev_unref(context);
}
}  // namespace

void start_hotplug_monitor() {
    std::lock_guard lock(monitor_mutex);
    if (monitor_thread.joinable()) return;
    udev* context = udev_new();
    if (!context) return;  // no hot-plug source: the list is still rebuilt on demand
    udev_monitor* monitor = udev_monitor_new_from_netlink(context, "udev");
    if (!monitor) {
        udev_unref(context);
        return;
    }
    if (udev_monitor_filter_add_match_subsystem_devtype(monitor, "hidraw", nullptr) < 0 ||
        udev_monitor_enable_receiving(monitor) < 0) {
        udev_monitor_unref(monitor);
        udev_unref(context);
        return;
    }
    wake_fd = eventfd(0, EFD_CLOEXEC);
    if (wake_fd < 0) {
        udev_monitor_unref(monitor);
        udev_unref(context);
        return;
    }
    monitor_thread = std::thread(monitor_loop, context, monitor, wake_fd);
}

void stop_hotplug_monitor() {
    std::lock_guard lock(monitor_mutex);
    if (!monitor_thread.joinable()) return;
    std::uint64_t one = 1;
    (void)!write(wake_fd, &one, sizeof one);
    monitor_thread.join();
    close(wake_fd);
    wake_fd = -1;
}

}  // namespace quelmar::link
