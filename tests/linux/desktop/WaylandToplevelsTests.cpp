// Running applications on a headless sway through foreign-toplevel management, with
// the windows of a minimal xdg-shell client whose app ids name installed desktop files.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/linux/desktop/WaylandToplevels.h"
#include "tests/linux/desktop/HeadlessCompositor.h"
#include "tests/linux/desktop/TemporaryXdgTree.h"
#include "tests/linux/desktop/WaylandTestWindows.h"
#include "tests/linux/desktop/XvfbServer.h"

namespace quorvel::linux_backend {
namespace {

using platform::RunningApplication;

const std::string alpha = "org.example.Alpha";
const std::string beta = "org.example.Beta";

// GIO reads the XDG directories once per process: the desktop files are in place first.
struct XdgTree : testing::TemporaryXdgTree {
    XdgTree() : TemporaryXdgTree("toplevels")
    {
        const std::string entry = "[Desktop Entry]\nType=Application\nName=N\nExec=true\n";
        for (const std::string& id : {alpha, beta}) write("usr/applications/" + id + ".desktop", entry);
        write("usr/applications/org.example.Viewer.desktop", entry + "StartupWMClass=ViewerWindow\n");
    }
};
const XdgTree tree;

RunningApplication application(const std::string& id)
{
    RunningApplication running;
    running.bundleIdentifier = id;
    return running;
}


class WaylandToplevelsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { compositor = testing::HeadlessCompositor::start(whyNot); }
    static void TearDownTestSuite() { compositor.reset(); }
    void SetUp() override
    {
        if (!compositor) GTEST_SKIP() << whyNot;
        toplevels = WaylandToplevels::connect(context.get(), compositor->displayName);
        ASSERT_NE(toplevels, nullptr);
        toplevels->observeApplicationActivation([this](const std::optional<RunningApplication>& activated) {
            activations.push_back(activated.value_or(RunningApplication{}).bundleIdentifier.value_or("?"));
        });
        windows = testing::WaylandTestWindows::connect(context.get(), compositor->displayName);
        ASSERT_NE(windows, nullptr);
    }

    // The activations reported once the compositor's news has been taken in.
    std::vector<std::string> reported()
    {
        toplevels->frontmostApplication();
        while (g_main_context_iteration(context.get(), FALSE)) {}
        return activations;
    }

    static inline std::unique_ptr<testing::HeadlessCompositor> compositor;
    static inline std::string whyNot;
    GMainContextPtr context{g_main_context_new()};
    std::unique_ptr<WaylandToplevels> toplevels;
    std::unique_ptr<testing::WaylandTestWindows> windows;
    std::vector<std::string> activations;
};

TEST_F(WaylandToplevelsTest, EveryApplicationWithAWindowRunsOnceAndTheFocusedOneIsInFront)
{
    EXPECT_EQ(toplevels->frontmostApplication(), std::nullopt);
    EXPECT_TRUE(toplevels->runningApplications().empty());
    windows->open(alpha);
    windows->open(beta);
    windows->open(alpha);
    EXPECT_EQ(toplevels->runningApplications(), (std::vector{application(alpha), application(beta)}));
    EXPECT_EQ(toplevels->frontmostApplication(), application(alpha)) << "sway focuses a new window";

    // A class-like app id finds its desktop file by StartupWMClass.
    const std::size_t viewer = windows->open("ViewerWindow");
    EXPECT_EQ(toplevels->frontmostApplication(), application("org.example.Viewer"));
    windows->close(viewer);
    EXPECT_EQ(toplevels->runningApplications(), (std::vector{application(alpha), application(beta)}));
}

TEST_F(WaylandToplevelsTest, OnlyAnotherApplicationComingForwardIsAnActivation)
{
    windows->open(alpha);
    const std::size_t betaWindow = windows->open(beta);
    EXPECT_EQ(reported(), (std::vector{alpha, beta}));

    ASSERT_TRUE(toplevels->activate(alpha));
    ASSERT_TRUE(testing::iterateUntil(context.get(), [&] { return activations.size() == 3; }));
    EXPECT_EQ(activations.back(), alpha);
    EXPECT_EQ(toplevels->frontmostApplication(), application(alpha));

    windows->open(alpha);
    EXPECT_EQ(toplevels->frontmostApplication(), application(alpha));
    EXPECT_EQ(reported().size(), 3u) << "the same application's other window is no activation";
    EXPECT_FALSE(toplevels->activate("org.example.NotRunning"));

    // Closing the front window brings another application's window forward.
    windows->close(betaWindow);
    EXPECT_EQ(reported(), (std::vector{alpha, beta, alpha}));
    EXPECT_EQ(toplevels->runningApplications(), std::vector{application(alpha)});
}

TEST_F(WaylandToplevelsTest, WithoutACompositorThereIsNothingAndNothingToActivate)
{
    EXPECT_EQ(WaylandToplevels::connect(context.get(), compositor->directory + "/no-such-socket"), nullptr);

    std::string reason;
    auto own = testing::HeadlessCompositor::start(reason);
    ASSERT_NE(own, nullptr) << reason;
    auto orphan = WaylandToplevels::connect(context.get(), own->displayName);
    auto ownWindows = testing::WaylandTestWindows::connect(context.get(), own->displayName);
    ASSERT_NE(orphan, nullptr);
    ASSERT_NE(ownWindows, nullptr);
    ownWindows->open(alpha);
    ASSERT_EQ(orphan->frontmostApplication(), application(alpha));
    own.reset();

    for (int iteration = 0; iteration < 10; ++iteration) g_main_context_iteration(context.get(), FALSE);
    EXPECT_EQ(orphan->frontmostApplication(), std::nullopt);
    EXPECT_TRUE(orphan->runningApplications().empty());
    EXPECT_FALSE(orphan->activate(alpha));
}

}  // namespace
}  // namespace quorvel::linux_backend
