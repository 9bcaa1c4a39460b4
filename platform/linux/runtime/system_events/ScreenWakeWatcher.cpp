#include "platform/linux/runtime/system_events/ScreenWakeWatcher.h"

#include <utility>

namespace quorvel::linux_backend {

namespace {

constexpr const char* displayConfigName = "org.gnome.Mutter.DisplayConfig";
constexpr const char* displayConfigPath = "/org/gnome/Mutter/DisplayConfig";
constexpr const char* propertiesInterface = "org.freedesktop.DBus.Properties";

// Each screensaver service, named as it owns its bus name and its interface.
constexpr const char* screensavers[] = {"org.freedesktop.ScreenSaver", "org.gnome.ScreenSaver"};

}  // namespace

ScreenWakeWatcher::ScreenWakeWatcher(std::optional<std::string> busAddress, SystemEventSink sink)
    : sink_(std::move(sink)),
      bus_(G_BUS_TYPE_SESSION, std::move(busAddress), [this](bool connected) { busOpened(connected); })
{
}

void ScreenWakeWatcher::busOpened(bool connected)
{
    if (!connected) {
        settled_ = true;
        return;
    }
    for (const char* screensaver : screensavers) {
        bus_.subscribe(screensaver, screensaver, "ActiveChanged", nullptr, nullptr,
                       [this](const char*, GVariant* parameters) { screensaverChanged(parameters); });
    }
    bus_.subscribe(displayConfigName, propertiesInterface, "PropertiesChanged", displayConfigPath, displayConfigName,
                   [this](const char*, GVariant* parameters) { displayPropertiesChanged(parameters); });
    bus_.call(displayConfigName, displayConfigPath, propertiesInterface, "Get",
              g_variant_new("(ss)", displayConfigName, "PowerSaveMode"), G_VARIANT_TYPE("(v)"), [this](GVariant* reply) {
                  if (reply) {
                      GVariantPtr boxed(g_variant_get_child_value(reply, 0));
                      GVariantPtr mode(g_variant_get_variant(boxed.get()));
                      if (g_variant_is_of_type(mode.get(), G_VARIANT_TYPE_INT32)) powerOn_.seed(g_variant_get_int32(mode.get()));
                  }
                  settled_ = true;
              });
}

void ScreenWakeWatcher::screensaverChanged(GVariant* parameters)
{
    if (!g_variant_is_of_type(parameters, G_VARIANT_TYPE("(b)"))) return;
    gboolean active = TRUE;
    g_variant_get(parameters, "(b)", &active);
    if (!active) sink_(platform::SystemEvent::screensWake);
}

void ScreenWakeWatcher::displayPropertiesChanged(GVariant* parameters)
{
    if (!g_variant_is_of_type(parameters, G_VARIANT_TYPE("(sa{sv}as)"))) return;
    GVariantPtr changed(g_variant_get_child_value(parameters, 1));
    gint32 mode = 0;
    if (g_variant_lookup(changed.get(), "PowerSaveMode", "i", &mode) && powerOn_.reaches(mode)) {
        sink_(platform::SystemEvent::screensWake);
    }
}

}  // namespace quorvel::linux_backend
