// The Wayland clipboard on a headless sway, with wl-clipboard as the other client:
// what others copy and we read, what we write and others paste, and the change count.
#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "platform/linux/desktop/WaylandClipboard.h"
#include "tests/linux/desktop/HeadlessCompositor.h"
#include "tests/linux/desktop/XvfbServer.h"

namespace quorvel::linux_backend {
namespace {

namespace fs = std::filesystem;
using platform::Bytes;
using namespace std::chrono_literals;

Bytes bytes(const std::string& text) { return Bytes(text.begin(), text.end()); }

Bytes randomBytes(std::size_t size, unsigned seed)
{
    Bytes data(size);
    std::mt19937 random(seed);
    for (auto& byte : data) byte = static_cast<std::uint8_t>(random());
    return data;
}


class WaylandClipboardTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { compositor = testing::HeadlessCompositor::start(whyNot); }
    static void TearDownTestSuite() { compositor.reset(); }
    void SetUp() override
    {
        if (!compositor) GTEST_SKIP() << whyNot;
        if (std::system("command -v wl-copy >/dev/null && command -v wl-paste >/dev/null") != 0) {
            GTEST_SKIP() << "wl-clipboard is not installed";
        }
        clipboard = WaylandClipboard::connect(context.get(), compositor->displayName);
        ASSERT_NE(clipboard, nullptr);
    }

    std::string file(const std::string& name) const { return compositor->directory + "/" + name; }

    // Another client copying; wl-copy returns once its selection is set.
    void copy(const std::string& arguments, const Bytes& data = {})
    {
        std::ofstream(file("copied"), std::ios::binary).write(reinterpret_cast<const char*>(data.data()),
                                                              static_cast<std::streamsize>(data.size()));
        const std::string command = compositor->environment() + " wl-copy " + arguments + " <" + file("copied");
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }

    // What wl-paste prints; our side keeps serving the selection meanwhile.
    std::string paste(const std::string& arguments)
    {
        const std::string out = file("pasted");
        const std::string command = compositor->environment() + " wl-paste " + arguments;
        EXPECT_EQ(std::system(("(" + command + " >" + out + ".tmp; mv " + out + ".tmp " + out + ") &").c_str()), 0);
        EXPECT_TRUE(testing::iterateUntil(context.get(), [&] { return fs::exists(out); }, 20s)) << command;
        std::ifstream in(out, std::ios::binary);
        std::string output(std::istreambuf_iterator<char>(in), {});
        fs::remove(out);
        return output;
    }

    // One main context iteration; how many descriptors it watched.
    int watchedDescriptors()
    {
        std::array<GPollFD, 16> fds;
        gint priority = 0;
        gint timeout = 0;
        g_main_context_acquire(context.get());
        g_main_context_prepare(context.get(), &priority);
        const gint count = g_main_context_query(context.get(), priority, &timeout, fds.data(), fds.size());
        g_poll(fds.data(), std::min<guint>(count, fds.size()), 0);
        g_main_context_check(context.get(), priority, fds.data(), std::min<gint>(count, fds.size()));
        g_main_context_dispatch(context.get());
        g_main_context_release(context.get());
        return count;
    }

    bool countReaches(std::int64_t count)
    {
        return testing::iterateUntil(context.get(), [&] { return clipboard->changeCount() >= count; });
    }

    static inline std::unique_ptr<testing::HeadlessCompositor> compositor;
    static inline std::string whyNot;
    GMainContextPtr context{g_main_context_new()};
    std::unique_ptr<WaylandClipboard> clipboard;
};

TEST_F(WaylandClipboardTest, EveryWriteCountsOnceAndAnotherClientsCopyReadsBackExactly)
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

TEST_F(WaylandClipboardTest, WhatWeWriteIsWhatOthersPasteWithEveryType)
{
    const Bytes large = randomBytes(1024 * 1024 + 5, 11);
    platform::PasteboardItem first;
    first.setData("text/html", bytes("<b>one</b>"));
    first.setData("application/x-blob", large);
    platform::PasteboardItem second;
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

TEST_F(WaylandClipboardTest, AnOwnerThatDoesNotAnswerYieldsNothingWithinTheTimeout)
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

TEST_F(WaylandClipboardTest, WithoutACompositorNothingIsReadAndNothingWritten)
{
    EXPECT_EQ(WaylandClipboard::connect(context.get(), file("no-such-socket")), nullptr);

    std::string reason;
    auto own = testing::HeadlessCompositor::start(reason);
    ASSERT_NE(own, nullptr) << reason;
    auto orphan = WaylandClipboard::connect(context.get(), own->displayName);
    ASSERT_NE(orphan, nullptr);
    ASSERT_TRUE(orphan->setPlainText("before"));
    const int watched = watchedDescriptors();
    own.reset();

    const std::int64_t count = orphan->changeCount();
    EXPECT_FALSE(orphan->setPlainText("after"));
    EXPECT_FALSE(orphan->writeObjects({}));
    orphan->clearContents();
    EXPECT_EQ(orphan->itemCount(), std::nullopt);
    EXPECT_TRUE(orphan->types(0).empty());
    EXPECT_EQ(orphan->data(0, "UTF8_STRING"), std::nullopt);
    EXPECT_EQ(orphan->changeCount(), count);
    EXPECT_EQ(watchedDescriptors(), watched - 1) << "a dead socket stays readable: watching it would spin";
}

}  // namespace
}  // namespace quorvel::linux_backend
