#include "platform/linux/bus/AgentStatusBus.h"

#include <utility>

#include "platform/linux/bus/AgentBusInterface.h"
#include "platform/linux/bus/AgentBusProperties.h"

namespace quorvel::linux_backend {

struct AgentStatusBus::Callbacks {
    struct PendingOpen {
        std::weak_ptr<char> alive;
        AgentStatusBus* bus;
    };

    static void opened(GObject*, GAsyncResult* result, gpointer data)
    {
        const std::unique_ptr<PendingOpen> pending(static_cast<PendingOpen*>(data));
        GError* rawError = nullptr;
        GObjectPtr<GDBusConnection> connection(g_dbus_connection_new_for_address_finish(result, &rawError));
        const GErrorPtr error(rawError);
        if (pending->alive.expired()) return;
        if (!connection) {
            pending->bus->logger_.error("Cannot connect to the session bus: %s; the agent's state is not published",
                                        errorMessage(error.get()).c_str());
            return;
        }
        pending->bus->connected(std::move(connection));
    }

    static void closed(GDBusConnection*, gboolean /*remotePeerVanished*/, GError*, gpointer data)
    {
        auto* bus = static_cast<AgentStatusBus*>(data);
        bus->logger_.error("Lost the session bus: the agent's state is no longer published");
        bus->disconnect();
    }

    static void nameLost(GDBusConnection* connection, const gchar* name, gpointer data)
    {
        // A closed connection loses its names too; `closed` says so.
        if (connection == nullptr || g_dbus_connection_is_closed(connection)) return;
        static_cast<AgentStatusBus*>(data)->logger_.error(
            "The name %s is owned by another program: the agent's state is not published under it", name);
    }

    static void methodCall(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar* method,
                           GVariant*, GDBusMethodInvocation* invocation, gpointer data)
    {
        // The interface has one method; GDBus refuses any other before it gets here.
        if (g_strcmp0(method, agent_bus::reloadMethod) == 0) static_cast<AgentStatusBus*>(data)->reload_();
        g_dbus_method_invocation_return_value(invocation, nullptr);
    }

    static GVariant* property(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar* name, GError**,
                              gpointer data)
    {
        return agentPropertyValue(static_cast<AgentStatusBus*>(data)->published_, name);
    }

    static constexpr GDBusInterfaceVTable vtable{methodCall, property, nullptr, {}};
};

AgentStatusBus::AgentStatusBus(std::optional<std::string> address, platform::LogSink& logSink,
                               std::function<void()> reload)
    : logger_(logSink, "Quorvel", "Helper"),
      reload_(std::move(reload)),
      interfaceDescription_(g_dbus_node_info_new_for_xml(agent_bus::introspection, nullptr)),
      cancellable_(g_cancellable_new()),
      alive_(std::make_shared<char>())
{
    if (!address) {
        logger_.info("No session bus: the agent's state is not published");
        return;
    }
    g_dbus_connection_new_for_address(address->c_str(),
                                      static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                                                        G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
                                      nullptr, cancellable_.get(), Callbacks::opened,
                                      new Callbacks::PendingOpen{alive_, this});
}

AgentStatusBus::~AgentStatusBus()
{
    g_cancellable_cancel(cancellable_.get());
    disconnect();
    g_dbus_node_info_unref(interfaceDescription_);
}

void AgentStatusBus::connected(GObjectPtr<GDBusConnection> connection)
{
    connection_ = std::move(connection);
    g_dbus_connection_set_exit_on_close(connection_.get(), FALSE);
    closedHandler_ = g_signal_connect(connection_.get(), "closed", G_CALLBACK(Callbacks::closed), this);
    GError* rawError = nullptr;
    registration_ = g_dbus_connection_register_object(connection_.get(), agent_bus::objectPath,
                                                      interfaceDescription_->interfaces[0], &Callbacks::vtable, this,
                                                      nullptr, &rawError);
    const GErrorPtr error(rawError);
    if (registration_ == 0) {
        logger_.error("Cannot publish the agent's state on the session bus: %s", errorMessage(error.get()).c_str());
        disconnect();
        return;
    }
    // The object is in place before the name appears, so whoever sees the name finds it.
    nameOwnership_ = g_bus_own_name_on_connection(connection_.get(), agent_bus::busName,
                                                  G_BUS_NAME_OWNER_FLAGS_DO_NOT_QUEUE, nullptr, Callbacks::nameLost,
                                                  this, nullptr);
}

void AgentStatusBus::disconnect()
{
    if (!connection_) return;
    if (nameOwnership_ != 0) g_bus_unown_name(nameOwnership_);
    if (registration_ != 0) g_dbus_connection_unregister_object(connection_.get(), registration_);
    if (closedHandler_ != 0) g_signal_handler_disconnect(connection_.get(), closedHandler_);
    nameOwnership_ = registration_ = 0;
    closedHandler_ = 0;
    if (!g_dbus_connection_is_closed(connection_.get())) {
        g_dbus_connection_close(connection_.get(), nullptr, nullptr, nullptr);
    }
    connection_.reset();
}

void AgentStatusBus::publish(const platform::AgentStatus& status)
{
    if (registration_ != 0) {
        if (GVariantPtr changes = changedAgentProperties(published_, status)) {
            const char* invalidated[] = {nullptr};
            g_dbus_connection_emit_signal(connection_.get(), nullptr, agent_bus::objectPath,
                                          "org.freedesktop.DBus.Properties", "PropertiesChanged",
                                          g_variant_new("(s@a{sv}^as)", agent_bus::interfaceName, changes.get(),
                                                        invalidated),
                                          nullptr);
        }
    }
    published_ = status;
}

}  // namespace quorvel::linux_backend
