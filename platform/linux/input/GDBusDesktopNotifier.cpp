#include "platform/linux/input/GDBusDesktopNotifier.h"

#include <gio/gio.h>

#include <string>
#include <utility>

#include "platform/linux/GLibHandles.h"
#include "platform/linux/SessionBusAddress.h"

namespace quorvel::linux_backend {
namespace {

constexpr const char* serviceName = "org.freedesktop.Notifications";
constexpr const char* objectPath = "/org/freedesktop/Notifications";
constexpr const char* interfaceName = "org.freedesktop.Notifications";
constexpr const char* iconName = "input-keyboard";
constexpr std::uint8_t normalUrgency = 1;
constexpr gint serverDefaultExpiry = -1;
constexpr gint replyTimeoutMs = 25'000;

}  // namespace

struct GDBusDesktopNotifier::State {
    explicit State(platform::Logger log) : logger(std::move(log)) {}

    GDBusConnection* connection();

    platform::Logger logger;
    GObjectPtr<GDBusConnection> bus;
    std::uint32_t lastId = 0;  // replaced by the next notification; 0: none yet
};

namespace {

struct PendingCall {
    std::shared_ptr<GDBusDesktopNotifier::State> state;
    GDBusDesktopNotifier::ReplyHandler onReply;
};

void notifyFinished(GObject* source, GAsyncResult* result, gpointer data)
{
    const std::unique_ptr<PendingCall> call(static_cast<PendingCall*>(data));
    GError* rawError = nullptr;
    const GVariantPtr reply(
        g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, &rawError));
    const GErrorPtr error(rawError);
    std::optional<std::uint32_t> id;
    if (reply) {
        guint32 value = 0;
        g_variant_get(reply.get(), "(u)", &value);
        id = value;
        call->state->lastId = value;
    } else {
        call->state->logger.error("Cannot show a desktop notification: %s", error ? error->message : "no reply");
    }
    if (call->onReply) call->onReply(id);
}

}  // namespace

GDBusConnection* GDBusDesktopNotifier::State::connection()
{
    if (bus && !g_dbus_connection_is_closed(bus.get())) return bus.get();
    bus.reset();
    lastId = 0;
    const std::optional<std::string> address = sessionBusAddress();
    if (!address) return nullptr;
    GError* rawError = nullptr;
    bus.reset(g_dbus_connection_new_for_address_sync(
        address->c_str(),
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, &rawError));
    const GErrorPtr error(rawError);
    if (!bus) return nullptr;
    // The agent decides when to end, not the bus.
    g_dbus_connection_set_exit_on_close(bus.get(), FALSE);
    return bus.get();
}

GDBusDesktopNotifier::GDBusDesktopNotifier(platform::Logger logger)
    : state_(std::make_shared<State>(std::move(logger)))
{
}

GDBusDesktopNotifier::~GDBusDesktopNotifier() = default;

bool GDBusDesktopNotifier::notify(const DesktopNotification& notification)
{
    return notify(notification, {});
}

bool GDBusDesktopNotifier::notify(const DesktopNotification& notification, ReplyHandler onReply)
{
    GDBusConnection* connection = state_->connection();
    if (!connection) return false;

    GVariantBuilder actions;
    g_variant_builder_init(&actions, G_VARIANT_TYPE("as"));
    GVariantBuilder hints;
    g_variant_builder_init(&hints, G_VARIANT_TYPE("a{sv}"));
    g_variant_builder_add(&hints, "{sv}", "urgency", g_variant_new_byte(normalUrgency));
    GVariant* parameters = g_variant_new("(susssasa{sv}i)", applicationName, state_->lastId, iconName,
                                         notification.summary.c_str(), notification.body.c_str(), &actions,
                                         &hints, serverDefaultExpiry);

    auto call = std::make_unique<PendingCall>(PendingCall{state_, std::move(onReply)});
    g_dbus_connection_call(connection, serviceName, objectPath, interfaceName, "Notify", parameters,
                           G_VARIANT_TYPE("(u)"), G_DBUS_CALL_FLAGS_NONE, replyTimeoutMs, nullptr, notifyFinished,
                           call.release());
    return true;
}

}  // namespace quorvel::linux_backend
