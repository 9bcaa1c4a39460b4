#include "tools/inspection/SessionChecks.h"

#include <gio/gio.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <memory>

#include "platform/EventTap.h"
#include "platform/linux/GLibHandles.h"
#include "platform/linux/desktop/DesktopServices.h"
#include "platform/linux/desktop/WaylandGlobals.h"
#include "platform/linux/desktop/XConnection.h"

namespace quorvel::inspection {

namespace {

std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

bool offers(const SessionFacts& session, std::initializer_list<const char*> interfaces)
{
    if (!session.waylandGlobals) return false;
    const auto& globals = *session.waylandGlobals;
    return std::any_of(interfaces.begin(), interfaces.end(), [&globals](const char* interface) {
        return std::find(globals.begin(), globals.end(), interface) != globals.end();
    });
}

constexpr const char* noDisplayFix =
    "run quorvel doctor in a terminal of your desktop session (the agent, started with the session, has its display)";

// Listing sources presses nothing: the doctor never switches them.
class NoKeys final : public platform::EventTap {
public:
    bool postKeyboardEvent(platform::EventSourceState, platform::EventTapLocation,
                           const platform::KeyboardEvent&) override
    {
        return false;
    }
    bool postSystemDefinedEvent(platform::EventTapLocation, const platform::SystemDefinedEvent&) override
    {
        return false;
    }
};

}  // namespace

SessionFacts observeSession()
{
    SessionFacts facts;
    facts.sessionType = environment("XDG_SESSION_TYPE");
    facts.currentDesktop = environment("XDG_CURRENT_DESKTOP");
    facts.x11Reachable = linux_backend::XConnection::open() != nullptr;
    if (!environment("WAYLAND_DISPLAY").empty() || facts.sessionType == "wayland") {
        facts.waylandGlobals = linux_backend::waylandGlobals();
    }
    return facts;
}

std::vector<Check> sessionChecks(const SessionFacts& session)
{
    const bool wayland = session.waylandGlobals.has_value();
    const std::string desktop = session.currentDesktop.empty() ? "" : " (" + session.currentDesktop + ")";
    Check kind{"Session", Verdict::passed, {}, {}, false, {"switchApps", "textSnippet"}};
    if (wayland) {
        kind.detail = "Wayland" + desktop + (session.x11Reachable ? ", with XWayland" : ", without XWayland");
    } else if (session.x11Reachable) {
        kind.detail = "X11" + desktop;
    } else {
        kind.verdict = Verdict::failed;
        kind.detail = "no X11 or Wayland display answers";
        kind.fix = noDisplayFix;
    }

    Check front{"Front application", Verdict::passed, {}, {}, false, {"switchApps"}};
    if (offers(session, {"zwlr_foreign_toplevel_manager_v1"})) {
        front.detail = "the compositor offers foreign-toplevel management: switchApps works";
    } else if (wayland) {
        front.verdict = Verdict::failed;
        front.detail = "the compositor offers no foreign-toplevel management: only XWayland's windows are seen, "
                       "and the front application is often unknown";
        front.fix = "none on this desktop (GNOME and KDE on Wayland offer none); switchApps works in X11 sessions "
                    "and on wlroots-based compositors (sway, Hyprland, labwc, Wayfire)";
    } else if (session.x11Reachable) {
        front.detail = "X11 window-manager hints: switchApps works";
    } else {
        front.verdict = Verdict::failed;
        front.detail = "no display to ask";
        front.fix = noDisplayFix;
    }

    Check clipboard{"Clipboard", Verdict::passed, {}, {}, false, {"textSnippet"}};
    if (offers(session, {"ext_data_control_manager_v1", "zwlr_data_control_manager_v1"})) {
        clipboard.detail = "the compositor offers data control: textSnippet works";
    } else if (session.x11Reachable) {
        clipboard.detail = wayland ? "through XWayland's clipboard (the compositor offers no data control)"
                                   : "the X11 clipboard: textSnippet works";
    } else {
        clipboard.verdict = Verdict::failed;
        clipboard.detail = wayland ? "the compositor offers no data control and there is no XWayland"
                                   : "no display to ask";
        clipboard.fix = wayland ? "none on this desktop without XWayland" : noDisplayFix;
    }
    return {kind, front, clipboard};
}

std::optional<std::vector<platform::InputSource>> sessionInputSources()
{
    NoKeys keys;
    return linux_backend::keyboardInputSourcesForSession(keys)->keyboardInputSourceList(false);
}

Check inputSourcesCheck(const std::optional<std::vector<platform::InputSource>>& sources)
{
    Check check{"Input sources", Verdict::failed, {}, {}, false, {"nextInputSource"}};
    if (!sources || sources->empty()) {
        check.detail = "no input-method framework (fcitx5, IBus) or layouts service (GNOME, KDE, XKB on X11) answers";
        check.fix = "configure two keyboard layouts in your desktop's settings, or run fcitx5 or IBus with two input "
                    "methods";
        return check;
    }
    std::string names;
    for (const auto& source : *sources) {
        names += (names.empty() ? "" : ", ") + source.identifier.value_or(source.reference);
    }
    if (sources->size() < 2) {
        check.detail = "only one input source (" + names + "): nothing to switch to";
        check.fix = "add a second keyboard layout or input method in your desktop's settings";
        return check;
    }
    check.verdict = Verdict::passed;
    check.detail = std::to_string(sources->size()) + " input sources: " + names;
    return check;
}

TapToClick gnomeTapToClick()
{
    constexpr const char* schemaId = "org.gnome.desktop.peripherals.touchpad";
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    GSettingsSchema* schema = source ? g_settings_schema_source_lookup(source, schemaId, TRUE) : nullptr;
    if (schema == nullptr) return {};
    const bool hasKey = g_settings_schema_has_key(schema, "tap-to-click") != FALSE;
    TapToClick result;
    if (hasKey) {
        const linux_backend::GObjectPtr<GSettings> settings(g_settings_new_full(schema, nullptr, nullptr));
        result.on = g_settings_get_boolean(settings.get(), "tap-to-click") != FALSE;
        result.source = std::string("GNOME's setting ") + schemaId + " tap-to-click";
    }
    g_settings_schema_unref(schema);
    return result;
}

TapToClick kdeTapToClick(const std::filesystem::path& configHome)
{
    // Plasma keeps one group per touchpad; on any of them counts.
    for (const char* file : {"kcminputrc", "touchpadxlibinputrc"}) {
        std::ifstream in(configHome / file);
        std::optional<bool> on;
        for (std::string line; std::getline(in, line);) {
            const auto equals = line.find('=');
            if (equals == std::string::npos) continue;
            std::string key = line.substr(0, equals);
            std::transform(key.begin(), key.end(), key.begin(), [](unsigned char c) { return std::tolower(c); });
            if (key != "taptoclick") continue;
            const bool value = line.compare(equals + 1, std::string::npos, "true") == 0;
            on = on.value_or(false) || value;
        }
        if (on) return {on, "KDE's touchpad settings (" + (configHome / file).string() + ")"};
    }
    return {};
}

Check tapToClickCheck(const TapToClick& setting)
{
    Check check{"Tap-to-click", Verdict::passed, {}, {}, false, {}};
    if (!setting.on) {
        check.verdict = Verdict::cannotTell;
        check.detail = "neither GNOME's nor KDE's touchpad settings say; where tap-to-click is on, a corner double "
                       "tap is also a double click";
    } else if (*setting.on) {
        check.detail = "on (" + setting.source + "): a corner double tap is also a double click where the pointer "
                       "is; to avoid it, turn tap-to-click off and click by pressing the pad";
    } else {
        check.detail = "off (" + setting.source + "): corner taps click nothing";
    }
    return check;
}

}  // namespace quorvel::inspection
