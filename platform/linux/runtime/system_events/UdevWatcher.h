#pragma once

#include <glib.h>
#include <libudev.h>

#include <memory>

#include "platform/linux/GLibHandles.h"
#include "platform/linux/runtime/system_events/SystemEventSink.h"

namespace quorvel::linux_backend {

// Watches udev for display changes (drm) and touchpads coming and going (input). Without
// udev (a container, no permission) it stays silent.
class UdevWatcher {
public:
    explicit UdevWatcher(SystemEventSink sink);

    bool isWatching() const { return source_ != nullptr; }

private:
    static gboolean readable(gint fd, GIOCondition condition, gpointer data);
    void receiveAll();

    struct UdevUnref {
        void operator()(udev* handle) const { udev_unref(handle); }
    };
    struct MonitorUnref {
        void operator()(udev_monitor* monitor) const { udev_monitor_unref(monitor); }
    };

    SystemEventSink sink_;
    std::unique_ptr<udev, UdevUnref> udev_;
    std::unique_ptr<udev_monitor, MonitorUnref> monitor_;
    AttachedSource source_;  // last: destroyed first, so it never fires into a freed monitor
};

}  // namespace quorvel::linux_backend
