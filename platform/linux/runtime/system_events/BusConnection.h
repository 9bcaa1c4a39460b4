#pragma once

#include <gio/gio.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/linux/GLibHandles.h"

namespace quorvel::linux_backend {

// A private connection to a message bus, opened without blocking the main loop.
//
// Private rather than GLib's shared bus singletons: those exit the process when the bus goes
// away, and their lifetime is not ours to end. Everything is delivered on the main context
// that was the thread default at construction. Subscriptions and pending calls end with the
// object: none of their callbacks runs after destruction.
class BusConnection {
public:
    using SignalHandler = std::function<void(const char* objectPath, GVariant* parameters)>;
    // The reply's body, or null when the call failed.
    using ReplyHandler = std::function<void(GVariant* reply)>;
    // Told once whether the bus could be reached.
    using OpenedHandler = std::function<void(bool connected)>;

    // `address` absent: the address the environment gives for `type`.
    BusConnection(GBusType type, std::optional<std::string> address, OpenedHandler opened);
    ~BusConnection();

    BusConnection(const BusConnection&) = delete;
    BusConnection& operator=(const BusConnection&) = delete;

    bool isConnected() const { return connection_ != nullptr; }

    // Only once connected. Null filters match anything.
    void subscribe(const char* sender, const char* interface, const char* member, const char* objectPath,
                   const char* arg0, SignalHandler handler);
    // Only once connected. `parameters` may be floating; it is consumed.
    void call(const char* destination, const char* objectPath, const char* interface, const char* method,
              GVariant* parameters, const GVariantType* replyType, ReplyHandler handler);

private:
    static void openFinished(GObject* source, GAsyncResult* result, gpointer data);
    static void callFinished(GObject* source, GAsyncResult* result, gpointer data);
    static gboolean reportUnreachable(gpointer data);

    OpenedHandler opened_;
    GObjectPtr<GCancellable> cancellable_;
    GObjectPtr<GDBusConnection> connection_;
    std::vector<guint> subscriptions_;
    AttachedSource unreachableReport_;
    std::shared_ptr<char> alive_;  // late replies check it before touching this object
};

}  // namespace quorvel::linux_backend
