// Actions through the dispatcher and the desktop backends the agent picks: GIO on a temporary
// XDG tree, the X11 clipboard and the window manager's root properties of an Xvfb session, and a
// wlroots compositor's clipboard and windows. Only the keyboard is recorded.
#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <cstring>

#include "helper/actions/ActionDispatcher.h"
#include "platform/linux/desktop/DesktopServices.h"
#include "platform/linux/desktop/EwmhApplications.h"
#include "platform/linux/desktop/GioWorkspace.h"
#include "tests/fakes/FakeActionServices.h"
#include "tests/linux/desktop/DisplayServers.h"
#include "tests/linux/desktop/TemporaryXdgTree.h"
#include "tests/linux/desktop/WaylandTestWindows.h"

namespace quorvel::testing {
namespace {

using Kind = ActionKind;
using platform::RunningApplication;

// GIO reads the XDG directories once per process: the tree is in place before any test.
struct XdgTree : TemporaryXdgTree {
    XdgTree()
    {
        // Writes its arguments after the first to the file the first one names.
        const std::string recorder =
            write("rec", "#!/bin/sh\nf=$1; shift\nprintf '%s' \"$*\" >\"$f.tmp\"; mv \"$f.tmp\" \"$f\"\n", true);
        const std::string entry = "[Desktop Entry]\nType=Application\nExec=";
        write("usr/applications/org.example.Marker.desktop",
              entry + recorder + " " + root + "/launched marker\nName=Quorvel Marker\n");
        write("home/applications/quorvel-url.desktop",
              entry + recorder + " " + root + "/opened %u\nName=N\nMimeType=x-scheme-handler/quorveltest;\n");
        write("usr/applications/tools/browser.desktop",
              entry + recorder + " " + root + "/launched browser %u\nName=N\nMimeType=x-scheme-handler/https;\n");
        write("usr/applications/org.example.Viewer.desktop", entry + "true\nName=N\nStartupWMClass=ViewerWindow\n");
        write("usr/applications/recorder.desktop", entry + "true\nName=N\n");
        write("home/mimeapps.list", "[Default Applications]\nx-scheme-handler/quorveltest=quorvel-url.desktop\n"
                                    "x-scheme-handler/https=tools-browser.desktop\n");
    }
};
const XdgTree tree;

class DesktopActionsTest : public XvfbTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server) << "Xvfb did not start";
        ::setenv("DISPLAY", server->displayName.c_str(), 1);
        desktop = linux_backend::connectDesktopServices(context, fakes.eventTap);
        ActionDispatcher::resetApplicationTrackingForTesting();
    }
    void run(Kind::Value kind)
    {
        const ActionServices f = fakes.services();
        const ActionServices services{*desktop.workspace, f.eventTap,       f.accessibility, *desktop.pasteboard,
                                      f.inputSources,     f.preferences,    f.processLauncher, f.alertSound,
                                      *desktop.applicationBundles,          f.mainQueue};
        ActionDispatcher::run(services, AssignedAction{{}, ActionKind{std::move(kind)}, true}, TrackpadGesture{});
    }
    // What the last launched entry wrote; GIO reaps its children on the default context.
    static std::string launched(const char* file = "/launched") { return takeFile(nullptr, tree.root + file); }

    linux_backend::DesktopServices desktop;
    FakeActionServices fakes;  // trusted; the desktop's services replace the workspace and the clipboard
};

TEST_F(DesktopActionsTest, ApplicationsLaunchByDesktopFileIdOrCatalogNameAndUrlsGoToTheSchemeHandler)
{
    run(Kind::OpenApp{"Another Name", "org.example.Marker"});  // the identifier wins
    EXPECT_EQ(launched(), "marker");
    run(Kind::OpenApp{"Quorvel Marker", std::nullopt});
    EXPECT_EQ(launched(), "marker");
    run(Kind::OpenApp{"Safari", "com.apple.Safari"});  // a known system application: the web browser
    EXPECT_EQ(launched(), "browser");
    EXPECT_EQ(desktop.workspace->urlForApplication("../../usr/applications/recorder"), std::nullopt);

    run(Kind::OpenURL{"  quorveltest://corner/top-left?tap=2\n"});
    EXPECT_EQ(launched("/opened"), "quorveltest://corner/top-left?tap=2");
    EXPECT_FALSE(desktop.workspace->openURL("nohandlerscheme://x"));
    EXPECT_EQ(fakes.alertSound.beeps, 0);
}

TEST_F(DesktopActionsTest, SnippetIsPastedWithCtrlVThenTheOtherOwnersClipboardComesBack)
{
    // xclip owns the clipboard until it loses it to the snippet.
    const auto before = desktop.pasteboard->changeCount();
    const auto xclip = [&](const std::string& how) { return outputOf(context, server->environment() + " " + how); };
    EXPECT_EQ(xclip("sh -c 'printf \"copied before\" | xclip -selection clipboard -i -quiet >/dev/null 2>&1 &'"), "");
    ASSERT_TRUE(iterateUntil(context, [&] { return desktop.pasteboard->changeCount() > before; }));

    run(Kind::TextSnippet{"Kind regards,\nQ \xE2\x9C\x93"});
    EXPECT_EQ(xclip("xclip -o -selection clipboard"), "Kind regards,\nQ \xE2\x9C\x93");

    // (The paste chord posted, and the keys the virtual keyboard types for it, have tests of their own.)
    fakes.mainQueue.advance(0.79);
    EXPECT_EQ(xclip("xclip -o -selection clipboard"), "Kind regards,\nQ \xE2\x9C\x93");
    fakes.mainQueue.advance(0.01);
    EXPECT_EQ(xclip("xclip -o -selection clipboard"), "copied before");
    EXPECT_EQ(fakes.alertSound.beeps, 0);
}

// sway offers data control and foreign-toplevel management: the agent uses both.
TEST_F(DesktopActionsTest, OnAWlrootsCompositorTheClipboardAndTheFrontApplicationComeFromIt)
{
    std::string whyNot;
    const auto compositor = startHeadlessSway(whyNot);
    if (!compositor) GTEST_SKIP() << whyNot;
    ::setenv("WAYLAND_DISPLAY", compositor->displayName.c_str(), 1);
    desktop = linux_backend::connectDesktopServices(context, fakes.eventTap);
    ::unsetenv("WAYLAND_DISPLAY");
    const std::string wayland = compositor->environment();

    // The snippet's steps on this clipboard are the Wayland session tests'; the whole run is on X11 above.
    ASSERT_TRUE(desktop.pasteboard->setPlainText("Kind regards,\nQ"));
    EXPECT_EQ(outputOf(context, wayland + " wl-paste -n"), "Kind regards,\nQ");

    const auto windows = WaylandTestWindows::connect(context, compositor->displayName);
    ASSERT_NE(windows, nullptr);
    windows->open("org.example.Marker");
    EXPECT_TRUE(iterateUntil(context, [&] {
        const auto front = desktop.workspace->frontmostApplication();
        return front && front->bundleIdentifier == "org.example.Marker";
    }));
}

// Client windows and the root properties a window manager keeps.
struct FakeWindowManager {
    explicit FakeWindowManager(const std::string& displayName) : display(XOpenDisplay(displayName.c_str())) {}
    ~FakeWindowManager() { XCloseDisplay(display); }
    Window client(const char* instance, const char* className, const char* applicationId = "")
    {
        const Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 10, 10, 0, 0, 0);
        XClassHint hint{const_cast<char*>(instance), const_cast<char*>(className)};
        XSetClassHint(display, window, &hint);
        if (*applicationId != '\0') {
            set(window, "_GTK_APPLICATION_ID", atom("UTF8_STRING"), 8, applicationId, std::strlen(applicationId));
        }
        clients.push_back(static_cast<long>(window));
        setRoot("_NET_CLIENT_LIST", clients);
        return window;
    }
    void activate(Window window) { setRoot("_NET_ACTIVE_WINDOW", {static_cast<long>(window)}); }
    void setRoot(const char* property, const std::vector<long>& windows)
    {
        set(DefaultRootWindow(display), property, XA_WINDOW, 32, windows.data(), windows.size());
    }
    void set(Window window, const char* property, Atom type, int format, const void* data, std::size_t count)
    {
        XChangeProperty(display, window, atom(property), type, format, PropModeReplace,
                        static_cast<const unsigned char*>(data), static_cast<int>(count));
        XSync(display, False);
    }
    Atom atom(const char* name) { return XInternAtom(display, name, False); }
    Display* display;
    std::vector<long> clients;
};

TEST_F(DesktopActionsTest, OnX11TheWindowManagersPropertiesGiveTheFrontAndRunningApplicationsAndActivations)
{
    EXPECT_EQ(linux_backend::EwmhApplications::connect(context, ":none"), nullptr);
    FakeWindowManager wm(server->displayName);
    const Window main = wm.client("main", "Main", "org.example.Marker");
    const Window firstViewer = wm.client("viewer", "ViewerWindow");
    const Window secondViewer = wm.client("viewer", "ViewerWindow");
    const Window rec = wm.client("rec", "Recorder");
    const long skipTaskbar = static_cast<long>(wm.atom("_NET_WM_STATE_SKIP_TASKBAR"));
    wm.set(wm.client("tray", "Tray"), "_NET_WM_STATE", XA_ATOM, 32, &skipTaskbar, 1);
    wm.activate(main);
    linux_backend::GioWorkspace workspace(linux_backend::EwmhApplications::connect(context, server->displayName));
    const RunningApplication marker{"org.example.Marker"}, viewer{"org.example.Viewer"}, recorder{"recorder"};
    EXPECT_EQ(workspace.frontmostApplication(), marker);
    EXPECT_EQ(workspace.runningApplications(),
              (std::vector<RunningApplication>{marker, viewer, recorder,
                                               {std::nullopt, platform::ActivationPolicy::accessory}}));

    std::vector<std::optional<RunningApplication>> seen;
    workspace.observeApplicationActivation([&](const auto& application) { seen.push_back(application); });
    wm.activate(firstViewer);
    ASSERT_TRUE(iterateUntil(context, [&] { return seen.size() == 1; }));
    wm.activate(secondViewer);  // same application: no activation
    wm.activate(None);          // no application: none either
    wm.activate(rec);
    ASSERT_TRUE(iterateUntil(context, [&] { return seen.size() == 2; }));
    EXPECT_EQ(seen, (std::vector<std::optional<RunningApplication>>{viewer, recorder}));
    EXPECT_EQ(workspace.frontmostApplication(), recorder);
}

}  // namespace
}  // namespace quorvel::testing
