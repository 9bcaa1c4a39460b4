// A Wayland session on a headless sway. The clipboard, with wl-clipboard as the other client: what
// others copy and we read, what we write and others paste, and the change count. The running
// applications through foreign-toplevel management, with the windows of a minimal xdg-shell client
// whose app ids name installed desktop files.
#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <sstream>

#include "platform/linux/desktop/WaylandClipboard.h"
#include "platform/linux/desktop/WaylandToplevels.h"
#include "tests/linux/desktop/DisplayServers.h"
#include "tests/linux/desktop/TemporaryXdgTree.h"
#include "tests/linux/desktop/WaylandTestWindows.h"

namespace quorvel::linux_backend {
namespace {

using platform::Bytes;
using platform::RunningApplication;

const std::string alpha = "org.example.Alpha";
const std::string beta = "org.example.Beta";

// GIO reads the XDG directories once per process: the desktop files are in place first.
struct XdgTree : testing::TemporaryXdgTree {
    XdgTree()
    {
        const std::string entry = "[Desktop Entry]\nType=Application\nName=N\nExec=true\n";
        for (const std::string& id : {alpha, beta}) write("usr/applications/" + id + ".desktop", entry);
        write("usr/applications/org.example.Viewer.desktop", entry + "StartupWMClass=ViewerWindow\n");
    }
};
const XdgTree tree;

using testing::bytes;
using testing::randomBytes;

RunningApplication application(const std::string& id) { return RunningApplication{id}; }

class WaylandSessionTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { compositor = testing::startHeadlessSway(whyNot); }
    static void TearDownTestSuite() { compositor.reset(); }
    void SetUp() override
    {
        if (!compositor) GTEST_SKIP() << whyNot;
        if (std::system("command -v wl-copy >/dev/null && command -v wl-paste >/dev/null") != 0) {
            GTEST_SKIP() << "wl-clipboard is not installed";
        }
        clipboard = WaylandClipboard::connect(context.get(), compositor->displayName);
        ASSERT_NE(clipboard, nullptr);
        toplevels = WaylandToplevels::connect(context.get(), compositor->displayName);
        ASSERT_NE(toplevels, nullptr);
        toplevels->observeApplicationActivation([this](const std::optional<RunningApplication>& activated) {
            activations.push_back(activated.value_or(RunningApplication{}).bundleIdentifier.value_or("?"));
        });
        windows = testing::WaylandTestWindows::connect(context.get(), compositor->displayName);
        ASSERT_NE(windows, nullptr);
    }

    // Another client copying; wl-copy returns once its selection is set.
    void copy(const std::string& arguments, const Bytes& data = {})
    {
        const std::string file = compositor->directory + "/copied";
        testing::writeFile(file, std::string(data.begin(), data.end()));
        const std::string command = compositor->environment() + " wl-copy " + arguments + " <" + file;
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }
    // What wl-paste prints; our side keeps serving the selection meanwhile.
    std::string paste(const std::string& arguments)
    {
        return testing::outputOf(context.get(), compositor->environment() + " wl-paste " + arguments);
    }
    bool countReaches(std::int64_t count)
    {
        return testing::iterateUntil(context.get(), [&] { return clipboard->changeCount() >= count; });
    }
    // The activations reported once the compositor's news has been taken in.
    std::vector<std::string> reported()
    {
        toplevels->frontmostApplication();
        while (g_main_context_iteration(context.get(), FALSE)) {}
        return activations;
    }

    static inline std::unique_ptr<testing::DisplayServer> compositor;
    static inline std::string whyNot;
    GMainContextPtr context{g_main_context_new()};
    std::unique_ptr<WaylandClipboard> clipboard;
    std::unique_ptr<WaylandToplevels> toplevels;
    std::unique_ptr<testing::WaylandTestWindows> windows;
    std::vector<std::string> activations;
};

TEST_F(WaylandSessionTest, EveryClipboardWriteCountsOnceAndAnotherClientsCopyReadsBackExactly)
{
    const std::int64_t start = clipboard->changeCount();
    const Bytes large = randomBytes(1024 * 1024 + 3, 7);  // far beyond a pipe's buffer
    copy("--type application/x-quorvel-test", large);
    ASSERT_TRUE(countReaches(start + 1));
    EXPECT_EQ(clipboard->changeCount(), start + 1);
    EXPECT_EQ(clipboard->itemCount(), 1u);
    EXPECT_EQ(clipboard->types(0), std::vector<std::string>{"application/x-quorvel-test"});
    EXPECT_TRUE(clipboard->types(1).empty());
    const auto read = clipboard->data(0, "application/x-quorvel-test");
    ASSERT_TRUE(read.has_value());
    EXPECT_TRUE(*read == large) << "read " << read->size() << " of " << large.size() << " bytes";
    EXPECT_EQ(clipboard->data(0, "image/png"), std::nullopt) << "a type not on offer";

    ASSERT_TRUE(clipboard->setPlainText("mine"));
    EXPECT_EQ(clipboard->changeCount(), start + 2) << "our write counts once, its echo not again";
    copy("--clear");
    ASSERT_TRUE(countReaches(start + 3));
    EXPECT_EQ(clipboard->itemCount(), 0u);
    copy("", bytes("theirs"));
    ASSERT_TRUE(countReaches(start + 4));
    EXPECT_EQ(clipboard->data(0, "text/plain;charset=utf-8"), bytes("theirs"));

    clipboard->clearContents();
    EXPECT_EQ(clipboard->itemCount(), 0u);
    clipboard->clearContents();  // nothing left to clear: still our write
    EXPECT_EQ(clipboard->changeCount(), start + 6);
}

TEST_F(WaylandSessionTest, WhatWeWriteToTheClipboardIsWhatOthersPasteWithEveryType)
{
    const Bytes large = randomBytes(1024 * 1024 + 5, 11);
    platform::PasteboardItem first, second;
    first.setData("text/html", bytes("<b>one</b>"));
    first.setData("application/x-blob", large);
    second.setData("text/html", bytes("<b>two</b>"));
    second.setData("text/uri-list", bytes("file:///tmp/x"));
    ASSERT_TRUE(clipboard->writeObjects({first, second}));

    const std::vector<std::string> written = {"text/html", "application/x-blob", "text/uri-list"};
    EXPECT_EQ(clipboard->types(0), written) << "our own marker stays hidden";
    EXPECT_EQ(clipboard->data(0, "text/uri-list"), bytes("file:///tmp/x")) << "answered without asking ourselves";
    std::istringstream listed(paste("--list-types"));
    std::vector<std::string> offered;
    for (std::string line; std::getline(listed, line);) offered.push_back(line);
    for (const std::string& type : written) {
        EXPECT_NE(std::find(offered.begin(), offered.end(), type), offered.end()) << type;
    }
    EXPECT_EQ(paste("--no-newline --type text/html"), "<b>one</b>");
    // A reader that leaves early must neither stop us serving nor raise SIGPIPE here.
    EXPECT_EQ(bytes(paste("--type application/x-blob | head -c 10")), Bytes(large.begin(), large.begin() + 10));
    const std::string pasted = paste("--no-newline --type application/x-blob");
    EXPECT_TRUE(bytes(pasted) == large) << "pasted " << pasted.size() << " of " << large.size() << " bytes";

    ASSERT_TRUE(clipboard->setPlainText("snippet \xE2\x9C\x93"));
    EXPECT_EQ(paste("--no-newline --type 'text/plain;charset=utf-8'"), "snippet \xE2\x9C\x93");
    EXPECT_EQ(paste("--no-newline --type UTF8_STRING"), "snippet \xE2\x9C\x93");
    const std::string types = paste("--list-types");
    EXPECT_EQ(types.find("STRING\n", types.find("UTF8_STRING") + 11), std::string::npos)
        << "non-ASCII text is no Latin-1 STRING: " << types;
}

TEST_F(WaylandSessionTest, AClipboardOwnerThatDoesNotAnswerYieldsNothingWithinTheTimeout)
{
    const std::int64_t start = clipboard->changeCount();
    // An owner that stops answering once its selection is set.
    const std::string display = "WAYLAND_DISPLAY=" + compositor->displayName;
    char* const environment[] = {const_cast<char*>(display.c_str()), nullptr};
    const char* argv[] = {"wl-copy", "--foreground", "--type", "application/x-stalled", "never", nullptr};
    pid_t owner = -1;
    ASSERT_EQ(posix_spawnp(&owner, "wl-copy", nullptr, nullptr, const_cast<char* const*>(argv), environment), 0);
    const bool taken = countReaches(start + 1);
    ::kill(owner, SIGSTOP);

    EXPECT_TRUE(taken);
    EXPECT_EQ(clipboard->types(0), std::vector<std::string>{"application/x-stalled"});
    EXPECT_EQ(clipboard->data(0, "application/x-stalled"), std::nullopt);
    EXPECT_TRUE(clipboard->setPlainText("still working"));
    ::kill(owner, SIGKILL);
    ::waitpid(owner, nullptr, 0);
}

TEST_F(WaylandSessionTest, EveryApplicationWithAWindowRunsOnceAndTheFocusedOneIsInFront)
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

TEST_F(WaylandSessionTest, OnlyAnotherApplicationComingForwardIsAnActivation)
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

// One main context iteration; how many descriptors it watched.
int watchedDescriptors(GMainContext* context)
{
    std::array<GPollFD, 16> fds;
    gint priority = 0, timeout = 0;
    g_main_context_acquire(context);
    g_main_context_prepare(context, &priority);
    const gint count = g_main_context_query(context, priority, &timeout, fds.data(), fds.size());
    g_poll(fds.data(), std::min<guint>(count, fds.size()), 0);
    g_main_context_check(context, priority, fds.data(), std::min<gint>(count, fds.size()));
    g_main_context_dispatch(context);
    g_main_context_release(context);
    return count;
}

TEST_F(WaylandSessionTest, WithoutACompositorNothingIsReadWrittenRunningOrActivated)
{
    EXPECT_EQ(WaylandClipboard::connect(context.get(), compositor->directory + "/no-such-socket"), nullptr);
    EXPECT_EQ(WaylandToplevels::connect(context.get(), compositor->directory + "/no-such-socket"), nullptr);

    std::string reason;
    auto own = testing::startHeadlessSway(reason);
    ASSERT_NE(own, nullptr) << reason;
    GMainContextPtr ownContext{g_main_context_new()};  // only the orphaned clipboard's descriptors
    auto orphan = WaylandClipboard::connect(ownContext.get(), own->displayName);
    auto orphanToplevels = WaylandToplevels::connect(context.get(), own->displayName);
    auto ownWindows = testing::WaylandTestWindows::connect(context.get(), own->displayName);
    ASSERT_TRUE(orphan && orphanToplevels && ownWindows);
    ASSERT_TRUE(orphan->setPlainText("before"));
    ownWindows->open(alpha);
    ASSERT_EQ(orphanToplevels->frontmostApplication(), application(alpha));
    const int watched = watchedDescriptors(ownContext.get());
    own.reset();

    const std::int64_t count = orphan->changeCount();
    EXPECT_FALSE(orphan->setPlainText("after"));
    EXPECT_FALSE(orphan->writeObjects({}));
    orphan->clearContents();
    EXPECT_EQ(orphan->itemCount(), std::nullopt);
    EXPECT_TRUE(orphan->types(0).empty());
    EXPECT_EQ(orphan->data(0, "UTF8_STRING"), std::nullopt);
    EXPECT_EQ(orphan->changeCount(), count);
    EXPECT_EQ(watchedDescriptors(ownContext.get()), watched - 1) << "a dead socket stays readable: watching it spins";

    for (int iteration = 0; iteration < 10; ++iteration) g_main_context_iteration(context.get(), FALSE);
    EXPECT_EQ(orphanToplevels->frontmostApplication(), std::nullopt);
    EXPECT_TRUE(orphanToplevels->runningApplications().empty());
    EXPECT_FALSE(orphanToplevels->activate(alpha));
}

}  // namespace
}  // namespace quorvel::linux_backend
