#pragma once

#include <glib.h>

#include <memory>

#include "platform/ApplicationBundles.h"
#include "platform/EventTap.h"
#include "platform/KeyboardInputSources.h"
#include "platform/Pasteboard.h"
#include "platform/PreferenceReader.h"
#include "platform/Workspace.h"

namespace quorvel::linux_backend {

// The desktop-side services of the agent for the session it runs in.
struct DesktopServices {
    std::unique_ptr<platform::Workspace> workspace;
    std::unique_ptr<platform::ApplicationBundles> applicationBundles;
    std::unique_ptr<platform::Pasteboard> pasteboard;
    std::unique_ptr<platform::KeyboardInputSources> keyboardInputSources;
    std::unique_ptr<platform::PreferenceReader> preferenceReader;
};

// Chooses each service by what the session offers: the compositor's foreign-toplevel
// management on wlroots-based Wayland compositors, else X11 (directly or through
// Xwayland) for running applications; the Wayland clipboard where the compositor offers
// data control, else X11's; for input sources GNOME's
// settings with its switch chord (pressed on `eventTap`) on a GNOME desktop, else
// fcitx5, IBus, KDE's layouts service or, on X11 sessions, XKB groups, whichever is in
// use at the time of the action. Callbacks and selection requests are served from
// sources on `context`, which must be the main thread's.
DesktopServices connectDesktopServices(GMainContext* context, platform::EventTap& eventTap);

// The input sources of this session, chosen as above (GNOME's presses its chord on `eventTap`).
std::unique_ptr<platform::KeyboardInputSources> keyboardInputSourcesForSession(platform::EventTap& eventTap);

}  // namespace quorvel::linux_backend
