// The workspace against a temporary XDG tree through GIO, and the running applications
// of an X11 session under Xvfb with a stand-in window manager.
#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "platform/linux/desktop/EwmhApplications.h"
#include "platform/linux/desktop/GioWorkspace.h"
#include "tests/linux/desktop/TemporaryXdgTree.h"
#include "tests/linux/desktop/XvfbServer.h"

namespace quorvel::linux_backend {
namespace {

namespace fs = std::filesystem;
using platform::RunningApplication;

// GIO reads the XDG directories once per process: the tree is in place before any test.
struct XdgTree : testing::TemporaryXdgTree {
    XdgTree() : TemporaryXdgTree("gio")
    {
        ::unsetenv("DISPLAY");
        // Writes its arguments to the file its first one names.
        const std::string recorder = write("rec", "#!/bin/sh\nprintf '%s' \"$*\" >\"$1.tmp\"; mv \"$1.tmp\" \"$1\"\n");
        ::chmod(recorder.c_str(), 0755);
        const std::string entry = "[Desktop Entry]\nType=Application\nName=N\nExec=";
        write("home/applications/quorvel-marker.desktop", entry + recorder + " " + root + "/launched\n");
        write("home/applications/quorvel-url.desktop",
              entry + recorder + " " + root + "/opened %u\nMimeType=x-scheme-handler/quorveltest;\n");
        write("usr/applications/tools/browser.desktop", entry + "true %u\nMimeType=x-scheme-handler/https;\n");
        write("usr/applications/org.example.Viewer.desktop", entry + "true\nStartupWMClass=ViewerWindow\n");
        write("usr/applications/recorder.desktop", entry + "true\n");
        write("home/mimeapps.list", "[Default Applications]\nx-scheme-handler/quorveltest=quorvel-url.desktop\n"
                                    "x-scheme-handler/https=tools-browser.desktop\n");
    }
};
const XdgTree tree;

// What the launched child wrote (its arguments), once it has.
std::string waitForFile(const std::string& path)
{
    testing::iterateUntil(g_main_context_default(), [&] { return fs::exists(path); }, std::chrono::seconds(10));
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(GioWorkspace, FindsAndLaunchesEntriesAndOpensUrlsThroughTheirSchemeHandler)
{
    GioWorkspace workspace(nullptr);
    EXPECT_EQ(workspace.urlForApplication("com.apple.Safari"), tree.root + "/usr/applications/tools/browser.desktop");
    EXPECT_EQ(workspace.urlForApplication("../../usr/applications/recorder"), std::nullopt);
    workspace.openApplication(*workspace.urlForApplication("quorvel-marker"));
    EXPECT_EQ(waitForFile(tree.root + "/launched"), tree.root + "/launched");

    EXPECT_TRUE(workspace.openURL("quorveltest://corner/top-left"));
    EXPECT_EQ(waitForFile(tree.root + "/opened"), tree.root + "/opened quorveltest://corner/top-left");
    EXPECT_FALSE(workspace.openURL("nohandlerscheme://x"));
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

TEST(EwmhApplications, FrontAndRunningApplicationsAndTheirActivations)
{
    EXPECT_EQ(EwmhApplications::connect(g_main_context_default(), ":none"), nullptr);
    const auto server = testing::XvfbServer::start();
    ASSERT_TRUE(server) << "Xvfb did not start";
    FakeWindowManager wm(server->displayName);
    const Window main = wm.client("main", "Main", "quorvel-marker");
    const Window firstViewer = wm.client("viewer", "ViewerWindow");
    const Window secondViewer = wm.client("viewer", "ViewerWindow");
    const Window rec = wm.client("rec", "Recorder");
    const long skipTaskbar = static_cast<long>(wm.atom("_NET_WM_STATE_SKIP_TASKBAR"));
    wm.set(wm.client("tray", "Tray"), "_NET_WM_STATE", XA_ATOM, 32, &skipTaskbar, 1);
    wm.activate(main);
    GMainContext* context = g_main_context_default();
    GioWorkspace workspace(EwmhApplications::connect(context, server->displayName));
    const RunningApplication marker{"quorvel-marker"}, viewer{"org.example.Viewer"}, recorder{"recorder"};
    EXPECT_EQ(workspace.frontmostApplication(), marker);
    EXPECT_EQ(workspace.runningApplications(),
              (std::vector<RunningApplication>{marker, viewer, recorder,
                                               {std::nullopt, platform::ActivationPolicy::accessory}}));

    std::vector<std::optional<RunningApplication>> seen;
    workspace.observeApplicationActivation([&](const auto& application) { seen.push_back(application); });
    wm.activate(firstViewer);
    ASSERT_TRUE(testing::iterateUntil(context, [&] { return seen.size() == 1; }));
    wm.activate(secondViewer);  // same application: no activation
    wm.activate(None);   // no application: none either
    wm.activate(rec);
    ASSERT_TRUE(testing::iterateUntil(context, [&] { return seen.size() == 2; }));
    EXPECT_EQ(seen, (std::vector<std::optional<RunningApplication>>{viewer, recorder}));
    EXPECT_EQ(workspace.frontmostApplication(), recorder);
}

}  // namespace
}  // namespace quorvel::linux_backend
