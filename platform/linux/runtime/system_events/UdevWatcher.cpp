#include "platform/linux/runtime/system_events/UdevWatcher.h"

#include <glib-unix.h>

#include <cstring>
#include <utility>

#include "platform/linux/runtime/system_events/UeventClassification.h"

namespace quorvel::linux_backend {

namespace {

struct DeviceUnref {
    void operator()(udev_device* device) const { udev_device_unref(device); }
};

std::string text(const char* value) { return value ? value : ""; }

Uevent summarise(udev_device* device)
{
    const char* touchpad = udev_device_get_property_value(device, "ID_INPUT_TOUCHPAD");
    return Uevent{text(udev_device_get_action(device)), text(udev_device_get_subsystem(device)),
                  text(udev_device_get_devnode(device)), touchpad && std::strcmp(touchpad, "1") == 0};
}

}  // namespace

UdevWatcher::UdevWatcher(SystemEventSink sink) : sink_(std::move(sink)), udev_(udev_new())
{
    if (!udev_) return;
    // "udev" events come after the rules ran, so they carry ID_INPUT_TOUCHPAD.
    monitor_.reset(udev_monitor_new_from_netlink(udev_.get(), "udev"));
    if (!monitor_) return;
    if (udev_monitor_filter_add_match_subsystem_devtype(monitor_.get(), "drm", nullptr) < 0 ||
        udev_monitor_filter_add_match_subsystem_devtype(monitor_.get(), "input", nullptr) < 0 ||
        udev_monitor_enable_receiving(monitor_.get()) < 0) {
        g_debug("udev monitor unavailable");
        monitor_.reset();
        return;
    }
    source_.reset(g_unix_fd_source_new(udev_monitor_get_fd(monitor_.get()), G_IO_IN));
    g_source_set_callback(source_.get(), reinterpret_cast<GSourceFunc>(reinterpret_cast<void (*)()>(readable)), this,
                          nullptr);
    g_source_attach(source_.get(), g_main_context_get_thread_default());
}

gboolean UdevWatcher::readable(gint, GIOCondition, gpointer data)
{
    static_cast<UdevWatcher*>(data)->receiveAll();
    return G_SOURCE_CONTINUE;
}

void UdevWatcher::receiveAll()
{
    // The socket is non-blocking: read until it is empty.
    while (std::unique_ptr<udev_device, DeviceUnref> device{udev_monitor_receive_device(monitor_.get())}) {
        if (const auto event = classifyUevent(summarise(device.get()))) sink_(*event);
    }
}

}  // namespace quorvel::linux_backend
