#include "platform/linux/runtime/system_events/BusConnection.h"

#include <utility>

namespace quorvel::linux_backend {

namespace {

// A bus that does not answer must not hold recovery up for long.
constexpr gint callTimeoutMilliseconds = 5000;

struct PendingOpen {
    std::weak_ptr<char> alive;
    BusConnection* connection;
};

struct PendingCall {
    std::weak_ptr<char> alive;
    BusConnection::ReplyHandler handler;
};

void deleteSignalHandler(gpointer data) { delete static_cast<BusConnection::SignalHandler*>(data); }

void dispatchSignal(GDBusConnection*, const gchar*, const gchar* objectPath, const gchar*, const gchar*,
                    GVariant* parameters, gpointer data)
{
    (*static_cast<BusConnection::SignalHandler*>(data))(objectPath, parameters);
}

}  // namespace

BusConnection::BusConnection(GBusType type, std::optional<std::string> address, OpenedHandler opened)
    : opened_(std::move(opened)), cancellable_(g_cancellable_new()), alive_(std::make_shared<char>())
{
    GError* rawError = nullptr;
    const GCharPtr resolved(address ? g_strdup(address->c_str()) : g_dbus_address_get_for_bus_sync(type, nullptr, &rawError));
    const GErrorPtr error(rawError);
    if (!resolved) {
        g_debug("No address for the %s bus: %s", type == G_BUS_TYPE_SYSTEM ? "system" : "session",
                errorMessage(error.get()).c_str());
        // Reported from the main loop, like a failed connection attempt.
        unreachableReport_.reset(g_idle_source_new());
        g_source_set_callback(unreachableReport_.get(), reportUnreachable, this, nullptr);
        g_source_attach(unreachableReport_.get(), g_main_context_get_thread_default());
        return;
    }
    g_dbus_connection_new_for_address(
        resolved.get(),
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, cancellable_.get(), openFinished, new PendingOpen{alive_, this});
}

BusConnection::~BusConnection()
{
    g_cancellable_cancel(cancellable_.get());
    if (connection_) {
        for (guint id : subscriptions_) g_dbus_connection_signal_unsubscribe(connection_.get(), id);
        g_dbus_connection_close(connection_.get(), nullptr, nullptr, nullptr);
    }
}

gboolean BusConnection::reportUnreachable(gpointer data)
{
    auto* self = static_cast<BusConnection*>(data);
    self->opened_(false);
    return G_SOURCE_REMOVE;
}

void BusConnection::openFinished(GObject*, GAsyncResult* result, gpointer data)
{
    const std::unique_ptr<PendingOpen> pending(static_cast<PendingOpen*>(data));
    GError* rawError = nullptr;
    GObjectPtr<GDBusConnection> connection(g_dbus_connection_new_for_address_finish(result, &rawError));
    const GErrorPtr error(rawError);
    if (pending->alive.expired()) return;
    BusConnection* self = pending->connection;
    if (!connection) {
        g_debug("Message bus unavailable: %s", errorMessage(error.get()).c_str());
        self->opened_(false);
        return;
    }
    self->connection_ = std::move(connection);
    self->opened_(true);
}

void BusConnection::subscribe(const char* sender, const char* interface, const char* member, const char* objectPath,
                              const char* arg0, SignalHandler handler)
{
    if (!connection_) return;
    subscriptions_.push_back(g_dbus_connection_signal_subscribe(
        connection_.get(), sender, interface, member, objectPath, arg0, G_DBUS_SIGNAL_FLAGS_NONE, dispatchSignal,
        new SignalHandler(std::move(handler)), deleteSignalHandler));
}

void BusConnection::call(const char* destination, const char* objectPath, const char* interface, const char* method,
                         GVariant* parameters, const GVariantType* replyType, ReplyHandler handler)
{
    if (!connection_) {
        if (parameters) g_variant_unref(g_variant_ref_sink(parameters));
        return;
    }
    g_dbus_connection_call(connection_.get(), destination, objectPath, interface, method, parameters, replyType,
                           G_DBUS_CALL_FLAGS_NO_AUTO_START, callTimeoutMilliseconds, cancellable_.get(), callFinished,
                           new PendingCall{alive_, std::move(handler)});
}

void BusConnection::callFinished(GObject* source, GAsyncResult* result, gpointer data)
{
    const std::unique_ptr<PendingCall> pending(static_cast<PendingCall*>(data));
    GError* rawError = nullptr;
    const GVariantPtr reply(g_dbus_connection_call_finish(reinterpret_cast<GDBusConnection*>(source), result, &rawError));
    const GErrorPtr error(rawError);
    if (pending->alive.expired()) return;
    if (!reply) g_debug("D-Bus call failed: %s", errorMessage(error.get()).c_str());
    pending->handler(reply.get());
}

}  // namespace quorvel::linux_backend
