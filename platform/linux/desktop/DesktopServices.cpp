#include "platform/linux/desktop/DesktopServices.h"

#include <cstdlib>
#include <string_view>

#include "platform/linux/desktop/CurrentDesktop.h"
#include "platform/linux/desktop/DesktopEntryBundles.h"
#include "platform/linux/desktop/EwmhApplications.h"
#include "platform/linux/desktop/GioWorkspace.h"
#include "platform/linux/desktop/GnomeInputSources.h"
#include "platform/linux/desktop/LauncherShortcutReader.h"
#include "platform/linux/desktop/SessionlessServices.h"
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

std::unique_ptr<platform::KeyboardInputSources> keyboardInputSources()
{
    if (gnomeDesktop()) {
        if (auto gnome = GnomeInputSources::fromInstalledSettings()) {
            return gnome;
        }
    }
    // Under Wayland the compositor owns the layouts; locking a group on Xwayland
    // would switch them for X11 clients only.
    if (!waylandSession()) {
        if (auto xkb = XkbInputSources::connect()) {
            return xkb;
        }
    }
    return std::make_unique<SessionlessInputSources>();
}

}  // namespace

DesktopServices connectDesktopServices(GMainContext* context)
{
    DesktopServices services;
    services.workspace = std::make_unique<GioWorkspace>(EwmhApplications::connect(context));
    services.applicationBundles = DesktopEntryBundles::forCurrentUser();
    if (auto clipboard = X11Clipboard::connect(context)) {
        services.pasteboard = std::move(clipboard);
    } else {
        services.pasteboard = std::make_unique<SessionlessPasteboard>();
    }
    services.keyboardInputSources = keyboardInputSources();
    services.preferenceReader = LauncherShortcutReader::forCurrentSession();
    return services;
}

}  // namespace quorvel::linux_backend
