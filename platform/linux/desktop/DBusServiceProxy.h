#pragma once

#include <gio/gio.h>

#include <chrono>
#include <functional>
#include <string>

#include "platform/linux/GLibHandles.h"

namespace quorvel::linux_backend {

// One object of a service on a message bus, called synchronously from the main thread.
// Calls never start a service that is not running, and are bounded so that a hung
// service cannot stall an action. The bus connection is made at the first call and
// made again after it closed (an input-method daemon's own bus goes away when the
// daemon restarts).
class DBusServiceProxy {
public:
    // A fresh connection to the bus, or nothing when it cannot be reached.
    using Connector = std::function<GObjectPtr<GDBusConnection>()>;

    DBusServiceProxy(Connector connector, std::string service, std::string path, std::string interface,
                     std::chrono::milliseconds timeout = std::chrono::milliseconds(500));

    // The reply, or nothing when the bus, the service or the method failed or the reply
    // is not of `replyType` (any type when null). `parameters` is consumed when floating.
    GVariantPtr call(const char* method, GVariant* parameters, const char* replyType);
    // A property of the interface, unboxed; nothing when it cannot be read.
    GVariantPtr property(const char* name);

    // The user's session bus.
    static GObjectPtr<GDBusConnection> sessionBus();
    // A message bus at `address`, nothing when it cannot be reached.
    static GObjectPtr<GDBusConnection> busAt(const std::string& address);

private:
    GDBusConnection* connection();

    Connector connector_;
    std::string service_, path_, interface_;
    std::chrono::milliseconds timeout_;
    GObjectPtr<GDBusConnection> connection_;
};

}  // namespace quorvel::linux_backend
