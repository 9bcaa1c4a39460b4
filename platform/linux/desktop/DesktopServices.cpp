#include "platform/linux/desktop/DesktopServices.h"

#include <cstdlib>
#include <string_view>

#include "platform/linux/desktop/CurrentDesktop.h"
#include "platform/linux/desktop/DesktopEntryBundles.h"
#include "platform/linux/desktop/EwmhApplications.h"
#include "platform/linux/desktop/GioWorkspace.h"
#include "platform/linux/desktop/Fcitx5InputSources.h"
#include "platform/linux/desktop/GnomeInputSources.h"
#include "platform/linux/desktop/IbusInputSources.h"
#include "platform/linux/desktop/InputSourceChain.h"
#include "platform/linux/desktop/KdeKeyboardLayouts.h"
#include "platform/linux/desktop/LauncherShortcutReader.h"
#include "platform/linux/desktop/SessionlessServices.h"
#include "platform/linux/desktop/WaylandClipboard.h"
#include "platform/linux/desktop/WaylandToplevels.h"
#include "platform/linux/desktop/X11Clipboard.h"
#include "platform/linux/desktop/XkbInputSources.h"

namespace quorvel::linux_backend {
namespace {

bool gnomeDesktop()
{
    const char* desktops = std::getenv("XDG_CURRENT_DESKTOP");
    return desktops != nullptr && desktopListIncludes(desktops, "GNOME");
}

bool waylandSession()
{
    const char* display = std::getenv("WAYLAND_DISPLAY");
    const char* type = std::getenv("XDG_SESSION_TYPE");
    return (display != nullptr && *display != '\0') || (type != nullptr && std::string_view(type) == "wayland");
}

}  // namespace

std::unique_ptr<platform::KeyboardInputSources> keyboardInputSourcesForSession(platform::EventTap& eventTap)
{
    if (gnomeDesktop()) {
        if (auto gnome = GnomeInputSources::fromInstalledSettings(eventTap)) {
            return gnome;
        }
    }
    std::vector<std::unique_ptr<platform::KeyboardInputSources>> members;
    members.push_back(std::make_unique<Fcitx5InputSources>(DBusServiceProxy::sessionBus));
    members.push_back(IbusInputSources::forCurrentSession());
    members.push_back(std::make_unique<KdeKeyboardLayouts>(DBusServiceProxy::sessionBus));
    // Under Wayland the compositor owns the layouts; locking a group on Xwayland
    // would switch them for X11 clients only.
    if (!waylandSession()) {
        if (auto xkb = XkbInputSources::connect()) {
            members.push_back(std::move(xkb));
        }
    }
    return std::make_unique<InputSourceChain>(std::move(members));
}

namespace {

// wlroots-based compositors tell their windows to clients; elsewhere only Xwayland's
// windows can be seen, through EWMH.
std::unique_ptr<RunningApplicationSource> runningApplications(GMainContext* context)
{
    if (waylandSession()) {
        if (auto toplevels = WaylandToplevels::connect(context)) {
            return toplevels;
        }
    }
    return EwmhApplications::connect(context);
}

// On Wayland the compositor's clipboard is the real one; Xwayland's CLIPBOARD selection
// follows it only as far as the compositor bridges the two (GNOME's offers no
// data-control protocol, so there it is the way in).
std::unique_ptr<platform::Pasteboard> pasteboard(GMainContext* context)
{
    if (waylandSession()) {
        if (auto wayland = WaylandClipboard::connect(context)) {
            return wayland;
        }
    }
    if (auto x11 = X11Clipboard::connect(context)) {
        return x11;
    }
    return std::make_unique<SessionlessPasteboard>();
}

}  // namespace

DesktopServices connectDesktopServices(GMainContext* context, platform::EventTap& eventTap)
{
    DesktopServices services;
    services.workspace = std::make_unique<GioWorkspace>(runningApplications(context));
    services.applicationBundles = DesktopEntryBundles::forCurrentUser();
    services.pasteboard = pasteboard(context);
    services.keyboardInputSources = keyboardInputSourcesForSession(eventTap);
    services.preferenceReader = LauncherShortcutReader::forCurrentSession();
    return services;
}

}  // namespace quorvel::linux_backend
