#include "platform/linux/desktop/DBusServiceProxy.h"

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

GVariantPointer DBusServiceProxy::call(const char* method, GVariant* parameters, const char* replyType)
{
    GDBusConnection* bus = connection();
    if (bus == nullptr) {
        if (parameters != nullptr) {
            g_variant_unref(g_variant_ref_sink(parameters));
        }
        return nullptr;
    }
    return GVariantPointer(g_dbus_connection_call_sync(bus, service_.c_str(), path_.c_str(), interface_.c_str(), method,
                                                       parameters, replyType ? G_VARIANT_TYPE(replyType) : nullptr,
                                                       G_DBUS_CALL_FLAGS_NO_AUTO_START, static_cast<gint>(timeout_.count()),
                                                       nullptr, nullptr));
}

GVariantPointer DBusServiceProxy::property(const char* name)
{
    GDBusConnection* bus = connection();
    if (bus == nullptr) {
        return nullptr;
    }
    GVariantPointer reply(g_dbus_connection_call_sync(
        bus, service_.c_str(), path_.c_str(), "org.freedesktop.DBus.Properties", "Get",
        g_variant_new("(ss)", interface_.c_str(), name), G_VARIANT_TYPE("(v)"), G_DBUS_CALL_FLAGS_NO_AUTO_START,
        static_cast<gint>(timeout_.count()), nullptr, nullptr));
    if (!reply) {
        return nullptr;
    }
    GVariantPointer boxed(g_variant_get_child_value(reply.get(), 0));
    return GVariantPointer(g_variant_get_variant(boxed.get()));
}

GObjectPointer<GDBusConnection> DBusServiceProxy::sessionBus()
{
    // A connection of our own: GLib's shared one ends the process when the bus goes away.
    const GCharPointer address(g_dbus_address_get_for_bus_sync(G_BUS_TYPE_SESSION, nullptr, nullptr));
    return address ? busAt(address.get()) : nullptr;
}

GObjectPointer<GDBusConnection> DBusServiceProxy::busAt(const std::string& address)
{
    const auto flags = static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                                         G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION);
    return GObjectPointer<GDBusConnection>(
        g_dbus_connection_new_for_address_sync(address.c_str(), flags, nullptr, nullptr, nullptr));
}

}  // namespace quorvel::linux_backend
