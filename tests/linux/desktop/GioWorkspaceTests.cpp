// The workspace against a temporary XDG tree: finding, launching and URL handling
// through GIO, and the running applications of an X11 session under Xvfb with a
// stand-in window manager that keeps the EWMH root properties.
#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "platform/linux/desktop/EwmhApplications.h"
#include "platform/linux/desktop/GioWorkspace.h"
#include "tests/linux/desktop/XvfbServer.h"

namespace quorvel::linux_backend {
namespace {

namespace fs = std::filesystem;

// GIO reads the XDG directories once per process, so the tree is laid out and the
// environment pointed at it before any test runs.
class XdgTree {
public:
    XdgTree()
    {
        std::string pattern = (fs::temp_directory_path() / "quorvel-gio-XXXXXX").string();
        root = ::mkdtemp(pattern.data());
        const std::string home = root + "/home";
        ::setenv("HOME", home.c_str(), 1);
        ::setenv("XDG_DATA_HOME", (home + "/.local/share").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (home + "/.config").c_str(), 1);
        ::setenv("XDG_DATA_DIRS", (root + "/usr/share").c_str(), 1);
        ::setenv("XDG_CONFIG_DIRS", (root + "/etc/xdg").c_str(), 1);
        ::setenv("GSETTINGS_BACKEND", "memory", 1);
        ::setenv("GIO_USE_VFS", "local", 1);
        ::unsetenv("DISPLAY");
        ::unsetenv("WAYLAND_DISPLAY");

        const std::string recorder = write("bin/record", "#!/bin/sh\nprintf '%s' \"$*\" > \"$1.tmp\" && mv \"$1.tmp\" \"$1\"\n");
        ::chmod(recorder.c_str(), 0755);
        const std::string apps = "home/.local/share/applications/";
        write(apps + "quorvel-marker.desktop",
              "[Desktop Entry]\nType=Application\nName=Marker\nExec=" + recorder + " " + out("launched") + "\n");
        write(apps + "quorvel-url.desktop", "[Desktop Entry]\nType=Application\nName=URL recorder\nExec=" + recorder +
                                                " " + out("opened") + " %u\nMimeType=x-scheme-handler/quorveltest;\n");
        write("usr/share/applications/tools/browser.desktop",
              "[Desktop Entry]\nType=Application\nName=Browser\nExec=true %u\nMimeType=x-scheme-handler/https;\n");
        write("usr/share/applications/org.example.Viewer.desktop",
              "[Desktop Entry]\nType=Application\nName=Viewer\nExec=true\nStartupWMClass=ViewerWindow\n");
        write("usr/share/applications/recorder.desktop", "[Desktop Entry]\nType=Application\nName=Rec\nExec=true\n");
        write("home/.config/mimeapps.list", "[Default Applications]\nx-scheme-handler/quorveltest=quorvel-url.desktop\n"
                                            "x-scheme-handler/https=tools-browser.desktop\n");
    }
    ~XdgTree() { fs::remove_all(root); }

    std::string write(const std::string& relative, const std::string& contents) const
    {
        const fs::path file = fs::path(root) / relative;
        fs::create_directories(file.parent_path());
        std::ofstream(file) << contents;
        return file.string();
    }
    std::string out(const std::string& name) const { return root + "/out-" + name; }

    std::string root;
};

const XdgTree tree;

std::optional<std::string> waitForFile(const std::string& path)
{
    // The launched child writes it; poll with a generous bound.
    GMainContext* context = g_main_context_default();
    if (!testing::iterateUntil(context, [&] { return fs::exists(path); }, std::chrono::seconds(10))) {
        return std::nullopt;
    }
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(GioWorkspaceApplications, FindsApplicationsByDesktopFileId)
{
    GioWorkspace workspace(nullptr);
    EXPECT_EQ(workspace.urlForApplication("quorvel-marker"),
              tree.root + "/home/.local/share/applications/quorvel-marker.desktop");
    EXPECT_EQ(workspace.urlForApplication("no-such-application"), std::nullopt);
    EXPECT_EQ(workspace.urlForApplication("../usr/share/applications/recorder"), std::nullopt);
    EXPECT_EQ(workspace.urlForApplication(""), std::nullopt);
    // The system browser is the https handler; no launcher application is installed.
    EXPECT_EQ(workspace.urlForApplication("com.apple.Safari"), tree.root + "/usr/share/applications/tools/browser.desktop");
    EXPECT_EQ(workspace.urlForApplication("com.apple.Spotlight"), std::nullopt);
}

TEST(GioWorkspaceApplications, OpenApplicationLaunchesTheEntry)
{
    GioWorkspace workspace(nullptr);
    workspace.openApplication(*workspace.urlForApplication("quorvel-marker"));
    EXPECT_EQ(waitForFile(tree.out("launched")), tree.out("launched"));
    // A location that is no desktop entry opens nothing and does not fail.
    workspace.openApplication("/System/Library/CoreServices/Spotlight.app");
}

TEST(GioWorkspaceUrls, ParseAcceptsWhatTheUriParserAccepts)
{
    GioWorkspace workspace(nullptr);
    EXPECT_EQ(workspace.parseURL("https://example.com/a?b=c#d"), "https://example.com/a?b=c#d");
    EXPECT_EQ(workspace.parseURL("ftp://files.example.com/x"), "ftp://files.example.com/x");
    EXPECT_EQ(workspace.parseURL("https://exa mple.com"), std::nullopt);
    EXPECT_EQ(workspace.parseURL("https://example.com/\n"), std::nullopt);
    EXPECT_EQ(workspace.parseURL(std::string("https://example.com/\0x", 22)), std::nullopt);
    EXPECT_EQ(workspace.parseURL("https://[::1"), std::nullopt);
    EXPECT_EQ(workspace.parseURL("no scheme"), std::nullopt);
}

TEST(GioWorkspaceUrls, OpenURLUsesTheSchemeHandler)
{
    GioWorkspace workspace(nullptr);
    EXPECT_TRUE(workspace.openURL("quorveltest://corner/top-left"));
    EXPECT_EQ(waitForFile(tree.out("opened")), tree.out("opened") + " quorveltest://corner/top-left");
    EXPECT_FALSE(workspace.openURL("nohandlerscheme://x"));
}

TEST(GioWorkspaceSession, WithoutAnX11SessionNothingIsKnown)
{
    EXPECT_EQ(EwmhApplications::connect(g_main_context_default(), ":none"), nullptr);
    GioWorkspace workspace(nullptr);
    EXPECT_EQ(workspace.frontmostApplication(), std::nullopt);
    EXPECT_TRUE(workspace.runningApplications().empty());
    workspace.observeApplicationActivation([](const auto&) { ADD_FAILURE() << "no activation expected"; });
    EXPECT_EQ(workspace.ownBundleIdentifier(), std::nullopt);
}

// Client windows and the root properties a window manager keeps.
class FakeWindowManager {
public:
    explicit FakeWindowManager(const std::string& displayName) : display_(XOpenDisplay(displayName.c_str()))
    {
        if (display_ != nullptr) {  // a fresh session for every test
            for (const char* name : {"_NET_CLIENT_LIST", "_NET_CLIENT_LIST_STACKING", "_NET_ACTIVE_WINDOW"}) {
                XDeleteProperty(display_, DefaultRootWindow(display_), atom(name));
            }
            XSync(display_, False);
        }
    }
    ~FakeWindowManager()
    {
        if (display_ != nullptr) {
            XCloseDisplay(display_);
        }
    }
    bool connected() const { return display_ != nullptr; }

    Window client(const char* instance, const char* className, const char* applicationId = nullptr)
    {
        const Window window = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 10, 10, 0, 0, 0);
        XClassHint hint{const_cast<char*>(instance), const_cast<char*>(className)};
        XSetClassHint(display_, window, &hint);
        if (applicationId != nullptr) {
            XChangeProperty(display_, window, atom("_GTK_APPLICATION_ID"), atom("UTF8_STRING"), 8, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(applicationId),
                            static_cast<int>(std::strlen(applicationId)));
        }
        clients_.push_back(static_cast<long>(window));
        XChangeProperty(display_, DefaultRootWindow(display_), atom("_NET_CLIENT_LIST"), XA_WINDOW, 32,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(clients_.data()),
                        static_cast<int>(clients_.size()));
        XSync(display_, False);
        return window;
    }

    void markSkipTaskbar(Window window)
    {
        const long state = static_cast<long>(atom("_NET_WM_STATE_SKIP_TASKBAR"));
        XChangeProperty(display_, window, atom("_NET_WM_STATE"), XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&state), 1);
        XSync(display_, False);
    }

    void activate(Window window)
    {
        const long value = static_cast<long>(window);
        XChangeProperty(display_, DefaultRootWindow(display_), atom("_NET_ACTIVE_WINDOW"), XA_WINDOW, 32,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(&value), 1);
        XSync(display_, False);
    }

    void stack(const std::vector<Window>& bottomToTop)
    {
        const std::vector<long> windows(bottomToTop.begin(), bottomToTop.end());
        XChangeProperty(display_, DefaultRootWindow(display_), atom("_NET_CLIENT_LIST_STACKING"), XA_WINDOW, 32,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(windows.data()),
                        static_cast<int>(windows.size()));
        XSync(display_, False);
    }

    // Requests to activate a window arrive as client messages to the root window.
    void watchActivationRequests()
    {
        XSelectInput(display_, DefaultRootWindow(display_), SubstructureRedirectMask);
        XSync(display_, False);
    }
    std::optional<Window> nextActivationRequest()
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (std::chrono::steady_clock::now() < deadline) {
            while (XPending(display_) > 0) {
                XEvent event;
                XNextEvent(display_, &event);
                if (event.type == ClientMessage && event.xclient.message_type == atom("_NET_ACTIVE_WINDOW")) {
                    return event.xclient.window;
                }
            }
            pollfd descriptor{ConnectionNumber(display_), POLLIN, 0};
            ::poll(&descriptor, 1, 100);
        }
        return std::nullopt;
    }

private:
    Atom atom(const char* name) { return XInternAtom(display_, name, False); }
    Display* display_;
    std::vector<long> clients_;
};

class EwmhSession : public ::testing::Test {
protected:
    static void SetUpTestSuite() { server_ = testing::XvfbServer::start(); }
    static void TearDownTestSuite() { server_.reset(); }
    void SetUp() override
    {
        if (!server_) {
            GTEST_SKIP() << "Xvfb is not available";
        }
        context_ = g_main_context_new();
        wm_ = std::make_unique<FakeWindowManager>(server_->displayName());
        ASSERT_TRUE(wm_->connected());
    }
    void TearDown() override
    {
        wm_.reset();
        if (context_ != nullptr) {
            g_main_context_unref(context_);
        }
    }

    static std::unique_ptr<testing::XvfbServer> server_;
    GMainContext* context_ = nullptr;
    std::unique_ptr<FakeWindowManager> wm_;
};
std::unique_ptr<testing::XvfbServer> EwmhSession::server_;

platform::RunningApplication app(std::optional<std::string> id,
                                 platform::ActivationPolicy policy = platform::ActivationPolicy::regular)
{
    return {std::move(id), policy};
}

TEST_F(EwmhSession, WindowsMapToDesktopFileIds)
{
    const Window marker = wm_->client("main", "Main", "quorvel-marker");
    wm_->client("viewer", "ViewerWindow");
    wm_->client("viewer", "ViewerWindow");
    wm_->client("rec", "Recorder");
    const Window tray = wm_->client("tray", "Tray");
    wm_->markSkipTaskbar(tray);
    wm_->activate(marker);

    auto session = EwmhApplications::connect(context_, server_->displayName());
    ASSERT_NE(session, nullptr);
    GioWorkspace workspace(std::move(session));
    EXPECT_EQ(workspace.frontmostApplication(), app("quorvel-marker"));
    EXPECT_EQ(workspace.runningApplications(),
              (std::vector<platform::RunningApplication>{app("quorvel-marker"), app("org.example.Viewer"),
                                                         app("recorder"),
                                                         app(std::nullopt, platform::ActivationPolicy::accessory)}));
}

TEST_F(EwmhSession, ActivationsAreReportedOncePerApplication)
{
    const Window marker = wm_->client("main", "Main", "quorvel-marker");
    const Window viewer = wm_->client("viewer", "ViewerWindow");
    const Window secondViewer = wm_->client("viewer", "ViewerWindow");
    const Window recorder = wm_->client("rec", "Recorder");
    wm_->activate(marker);

    GioWorkspace workspace(EwmhApplications::connect(context_, server_->displayName()));
    std::vector<std::optional<platform::RunningApplication>> seen;
    workspace.observeApplicationActivation([&](const auto& application) { seen.push_back(application); });

    wm_->activate(viewer);
    ASSERT_TRUE(testing::iterateUntil(context_, [&] { return seen.size() == 1; }));
    EXPECT_EQ(seen.back(), app("org.example.Viewer"));

    wm_->activate(secondViewer);  // same application: no activation
    wm_->activate(None);          // no application: none either
    wm_->activate(recorder);
    ASSERT_TRUE(testing::iterateUntil(context_, [&] { return seen.size() == 2; }));
    EXPECT_EQ(seen.back(), app("recorder"));
    EXPECT_EQ(workspace.frontmostApplication(), app("recorder"));
}

TEST_F(EwmhSession, OpeningARunningApplicationBringsItsTopWindowForward)
{
    wm_->watchActivationRequests();
    const Window marker = wm_->client("main", "Main", "quorvel-marker");
    const Window lowerViewer = wm_->client("viewer", "ViewerWindow");
    const Window upperViewer = wm_->client("viewer", "ViewerWindow");
    wm_->stack({lowerViewer, upperViewer, marker});
    wm_->activate(marker);

    GioWorkspace workspace(EwmhApplications::connect(context_, server_->displayName()));
    workspace.openApplication(*workspace.urlForApplication("org.example.Viewer"));
    EXPECT_EQ(wm_->nextActivationRequest(), upperViewer);
}

}  // namespace
}  // namespace quorvel::linux_backend
