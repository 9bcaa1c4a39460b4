#include "platform/linux/desktop/DBusServiceProxy.h"

#include "platform/linux/SessionBusAddress.h"

namespace quorvel::linux_backend {

DBusServiceProxy::DBusServiceProxy(Connector connector, std::string service, std::string path, std::string interface,
                                   std::chrono::milliseconds timeout)
    : connector_(std::move(connector)),
      service_(std::move(service)),
      path_(std::move(path)),
      interface_(std::move(interface)),
      timeout_(timeout)
{
}

GDBusConnection* DBusServiceProxy::connection()
{
    if (!connection_ || g_dbus_connection_is_closed(connection_.get())) {
        connection_ = connector_();
    }
    return connection_.get();
}

GVariantPtr DBusServiceProxy::call(const char* method, GVariant* parameters, const char* replyType)
{
    GDBusConnection* bus = connection();
    if (bus == nullptr) {
        if (parameters != nullptr) {
            g_variant_unref(g_variant_ref_sink(parameters));
        }
        return nullptr;
    }
    return GVariantPtr(g_dbus_connection_call_sync(bus, service_.c_str(), path_.c_str(), interface_.c_str(), method,
                                                       parameters, replyType ? G_VARIANT_TYPE(replyType) : nullptr,
                                                       G_DBUS_CALL_FLAGS_NO_AUTO_START, static_cast<gint>(timeout_.count()),
                                                       nullptr, nullptr));
}

GVariantPtr DBusServiceProxy::property(const char* name)
{
    GDBusConnection* bus = connection();
    if (bus == nullptr) {
        return nullptr;
    }
    GVariantPtr reply(g_dbus_connection_call_sync(
        bus, service_.c_str(), path_.c_str(), "org.freedesktop.DBus.Properties", "Get",
        g_variant_new("(ss)", interface_.c_str(), name), G_VARIANT_TYPE("(v)"), G_DBUS_CALL_FLAGS_NO_AUTO_START,
        static_cast<gint>(timeout_.count()), nullptr, nullptr));
    if (!reply) {
        return nullptr;
    }
    GVariantPtr boxed(g_variant_get_child_value(reply.get(), 0));
    return GVariantPtr(g_variant_get_variant(boxed.get()));
}

GObjectPtr<GDBusConnection> DBusServiceProxy::sessionBus()
{
    // A connection of our own: GLib's shared one ends the process when the bus goes away.
    const auto address = sessionBusAddress();
    return address ? busAt(*address) : nullptr;
}

GObjectPtr<GDBusConnection> DBusServiceProxy::busAt(const std::string& address)
{
    const auto flags = static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                                         G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION);
    return GObjectPtr<GDBusConnection>(
        g_dbus_connection_new_for_address_sync(address.c_str(), flags, nullptr, nullptr, nullptr));
}

}  // namespace quorvel::linux_backend
