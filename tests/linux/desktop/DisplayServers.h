#pragma once

// Private display servers for the desktop tests (Xvfb, a headless sway), and waiting on a main
// context while they, or the clients the tests start, answer.
#include <gtest/gtest.h>
#include <glib.h>
#include <sys/types.h>

#include <memory>
#include <random>
#include <string>

#include "platform/Pasteboard.h"
#include "tests/linux/runtime/MainContextLoop.h"

namespace quorvel::testing {

// A server started with descriptor 3 a pipe on which it says it is ready (one line); stopped with
// its owner, and never outliving a test that crashed.
struct DisplayServer {
    ~DisplayServer();
    pid_t pid = -1;
    std::string directory;    // a private folder, removed on stop (sway's runtime directory is in it)
    std::string displayName;  // Xvfb's ":N", or sway's socket path

    // What a client needs in its environment to reach this server.
    std::string environment() const;
};

// A private Xvfb; nothing when it does not come up.
std::unique_ptr<DisplayServer> startXvfb();
// A private headless sway (as nobody when run by root); nothing, and `whyNot` says why, when it
// cannot start.
std::unique_ptr<DisplayServer> startHeadlessSway(std::string& whyNot);

// The contents of `path` once something wrote it (the file is removed), while `context` runs.
std::string takeFile(GMainContext* context, const std::string& path);
// What `command` prints, run by the shell in the background while `context` runs: the other end
// of a clipboard transfer may be this very process.
std::string outputOf(GMainContext* context, const std::string& command);

// Clipboard data: text as bytes, and `size` bytes of noise.
inline platform::Bytes bytes(const std::string& text) { return {text.begin(), text.end()}; }
inline platform::Bytes randomBytes(std::size_t size, unsigned seed)
{
    platform::Bytes data(size);
    std::mt19937 random(seed);
    for (auto& byte : data) byte = static_cast<std::uint8_t>(random());
    return data;
}

// A suite on one Xvfb, with a fresh main context for every test.
class XvfbTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { server = startXvfb(); }
    static void TearDownTestSuite() { server.reset(); }
    ~XvfbTest() override { g_main_context_unref(context); }
    static inline std::unique_ptr<DisplayServer> server;
    GMainContext* context = g_main_context_new();
};

}  // namespace quorvel::testing
