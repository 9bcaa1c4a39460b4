#include "tools/inspection/AgentOnBus.h"

#include "platform/linux/SessionBusAddress.h"
#include "platform/linux/bus/AgentBusInterface.h"
#include "platform/linux/bus/AgentBusProperties.h"
#include "platform/linux/desktop/DBusServiceProxy.h"

namespace quorvel::inspection {

namespace {

using linux_backend::GErrorPtr;
using linux_backend::GVariantPtr;
namespace agent_bus = linux_backend::agent_bus;

constexpr gint answerTimeoutMilliseconds = 3000;

GVariantPtr callBus(GDBusConnection* bus, const char* method, GVariant* parameters, const char* replyType,
                    GErrorPtr& error)
{
    GError* raw = nullptr;
    GVariantPtr reply(g_dbus_connection_call_sync(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                                  "org.freedesktop.DBus", method, parameters,
                                                  G_VARIANT_TYPE(replyType), G_DBUS_CALL_FLAGS_NONE,
                                                  answerTimeoutMilliseconds, nullptr, &raw));
    error.reset(raw);
    return reply;
}

}  // namespace

linux_backend::GObjectPtr<GDBusConnection> connectSessionBus(std::string& why)
{
    const auto address = linux_backend::sessionBusAddress();
    if (!address) {
        why = "there is no session bus (DBUS_SESSION_BUS_ADDRESS is not set and $XDG_RUNTIME_DIR/bus does not exist)";
        return nullptr;
    }
    auto bus = linux_backend::DBusServiceProxy::busAt(*address);
    if (!bus) why = "the session bus at " + *address + " cannot be reached";
    return bus;
}

AgentOnBus askAgent(GDBusConnection* bus, const std::string& whyNoBus)
{
    AgentOnBus result;
    if (bus == nullptr) {
        result.why = whyNoBus;
        return result;
    }
    GErrorPtr error;
    const GVariantPtr owner = callBus(bus, "GetNameOwner", g_variant_new("(s)", agent_bus::busName), "(s)", error);
    if (!owner) {
        result.answer = AgentOnBus::Answer::notOnBus;
        return result;
    }
    const gchar* unique = nullptr;
    g_variant_get(owner.get(), "(&s)", &unique);
    result.owner = unique;

    GError* raw = nullptr;
    const GVariantPtr all(g_dbus_connection_call_sync(
        bus, unique, agent_bus::objectPath, "org.freedesktop.DBus.Properties", "GetAll",
        g_variant_new("(s)", agent_bus::interfaceName), G_VARIANT_TYPE("(a{sv})"), G_DBUS_CALL_FLAGS_NO_AUTO_START,
        answerTimeoutMilliseconds, nullptr, &raw));
    error.reset(raw);
    if (!all) {
        result.answer = AgentOnBus::Answer::unreadable;
        if (error) g_dbus_error_strip_remote_error(error.get());
        result.why = "the owner of " + std::string(agent_bus::busName) +
                     " did not give its state: " + linux_backend::errorMessage(error.get());
        return result;
    }
    const GVariantPtr properties(g_variant_get_child_value(all.get(), 0));
    linux_backend::readAgentProperties(properties.get(), result.status);
    result.answer = AgentOnBus::Answer::answered;

    const GVariantPtr pid =
        callBus(bus, "GetConnectionUnixProcessID", g_variant_new("(s)", unique), "(u)", error);
    if (pid) {
        guint32 value = 0;
        g_variant_get(pid.get(), "(u)", &value);
        result.pid = static_cast<long>(value);
    }
    return result;
}

}  // namespace quorvel::inspection
