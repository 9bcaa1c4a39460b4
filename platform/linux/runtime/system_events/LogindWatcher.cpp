#include "platform/linux/runtime/system_events/LogindWatcher.h"

#include <unistd.h>

#include <cstring>
#include <utility>

namespace quorvel::linux_backend {

namespace {

constexpr const char* logindName = "org.freedesktop.login1";
constexpr const char* managerPath = "/org/freedesktop/login1";
constexpr const char* managerInterface = "org.freedesktop.login1.Manager";
constexpr const char* sessionInterface = "org.freedesktop.login1.Session";
constexpr const char* propertiesInterface = "org.freedesktop.DBus.Properties";

std::optional<bool> booleanProperty(GVariant* properties, const char* name)
{
    gboolean value = FALSE;
    if (!g_variant_lookup(properties, name, "b", &value)) return std::nullopt;
    return value != FALSE;
}

bool namesAny(const gchar* const* names, const char* first, const char* second)
{
    for (; names && *names; ++names) {
        if (std::strcmp(*names, first) == 0 || std::strcmp(*names, second) == 0) return true;
    }
    return false;
}

}  // namespace

LogindWatcher::LogindWatcher(std::optional<std::string> busAddress, std::vector<std::string> sessionIds,
                             SystemEventSink sink)
    : sink_(std::move(sink)),
      sessionIds_(std::move(sessionIds)),
      bus_(G_BUS_TYPE_SYSTEM, std::move(busAddress), [this](bool connected) { busOpened(connected); })
{
}

void LogindWatcher::busOpened(bool connected)
{
    if (!connected) {
        finishSetup();
        return;
    }
    // Subscribe before reading the session, so no change between the two is missed.
    bus_.subscribe(logindName, managerInterface, "PrepareForSleep", managerPath, nullptr,
                   [this](const char*, GVariant* parameters) { sleepPrepared(parameters); });
    bus_.subscribe(logindName, propertiesInterface, "PropertiesChanged", nullptr, sessionInterface,
                   [this](const char* path, GVariant* parameters) { sessionPropertiesChanged(path, parameters); });
    lookUpSession(0);
}

void LogindWatcher::sleepPrepared(GVariant* parameters)
{
    if (!g_variant_is_of_type(parameters, G_VARIANT_TYPE("(b)"))) return;
    gboolean starting = TRUE;
    g_variant_get(parameters, "(b)", &starting);
    if (!starting) sink_(platform::SystemEvent::systemWake);
}

void LogindWatcher::sessionPropertiesChanged(const char* objectPath, GVariant* parameters)
{
    if (!sessionPath_ || *sessionPath_ != objectPath) return;
    if (!g_variant_is_of_type(parameters, G_VARIANT_TYPE("(sa{sv}as)"))) return;
    GVariantPtr changed(g_variant_get_child_value(parameters, 1));
    applySessionProperties(changed.get(), false);
    GVariantPtr invalidated(g_variant_get_child_value(parameters, 2));
    // The strings belong to the variant; only the array is ours.
    const gchar** names = g_variant_get_strv(invalidated.get(), nullptr);
    const bool mustRead = namesAny(names, "Active", "LockedHint");
    g_free(names);
    if (mustRead) refreshSession();
}

void LogindWatcher::lookUpSession(std::size_t attempt)
{
    auto found = [this, attempt](GVariant* reply) {
        if (!reply) {
            lookUpSession(attempt + 1);
            return;
        }
        const gchar* path = nullptr;
        g_variant_get(reply, "(&o)", &path);
        readSession(path, attempt);
    };
    if (attempt < sessionIds_.size()) {
        bus_.call(logindName, managerPath, managerInterface, "GetSession",
                  g_variant_new("(s)", sessionIds_[attempt].c_str()), G_VARIANT_TYPE("(o)"), found);
    } else if (attempt == sessionIds_.size()) {
        bus_.call(logindName, managerPath, managerInterface, "GetSessionByPID",
                  g_variant_new("(u)", static_cast<guint32>(getpid())), G_VARIANT_TYPE("(o)"), found);
    } else {
        g_debug("No login session to watch");
        finishSetup();
    }
}

void LogindWatcher::readSession(std::string path, std::size_t attempt)
{
    bus_.call(logindName, path.c_str(), propertiesInterface, "GetAll", g_variant_new("(s)", sessionInterface),
              G_VARIANT_TYPE("(a{sv})"), [this, path, attempt](GVariant* reply) {
                  // A path for a session that cannot be read (or does not exist) is no better than none.
                  if (!reply) {
                      lookUpSession(attempt + 1);
                      return;
                  }
                  sessionPath_ = path;
                  GVariantPtr properties(g_variant_get_child_value(reply, 0));
                  applySessionProperties(properties.get(), true);
                  finishSetup();
              });
}

void LogindWatcher::refreshSession()
{
    bus_.call(logindName, sessionPath_->c_str(), propertiesInterface, "GetAll", g_variant_new("(s)", sessionInterface),
              G_VARIANT_TYPE("(a{sv})"), [this](GVariant* reply) {
                  if (!reply) return;
                  GVariantPtr properties(g_variant_get_child_value(reply, 0));
                  applySessionProperties(properties.get(), false);
              });
}

void LogindWatcher::applySessionProperties(GVariant* properties, bool initial)
{
    if (const auto active = booleanProperty(properties, "Active")) {
        if (initial) {
            active_.seed(*active);
        } else if (active_.reaches(*active)) {
            sink_(platform::SystemEvent::sessionActive);
        }
    }
    if (const auto locked = booleanProperty(properties, "LockedHint")) {
        if (initial) {
            locked_.seed(*locked);
        } else if (locked_.reaches(*locked)) {
            sink_(platform::SystemEvent::screenUnlock);
        }
    }
}

}  // namespace quorvel::linux_backend
