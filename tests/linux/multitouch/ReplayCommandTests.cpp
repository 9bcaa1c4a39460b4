// `quorvel replay` as a user runs it: its output lines and its failures.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "tests/helper/e2e/Sandbox.h"

namespace quorvel::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Missing data fails the test rather than passing as a failed replay.
std::string data(const char* name)
{
    const auto path = fs::path(QUORVEL_TESTDATA_DIR) / "touchpads" / name;
    if (!fs::exists(path)) throw std::runtime_error("test data missing: " + path.string());
    return path.string();
}

TEST(ReplayCommand, PrintsOneLinePerGestureWithSecondsFromTheFirstEvent)
{
    Sandbox sandbox;
    const std::pair<const char*, const char*> cases[] = {
        {"derived/alps-double-tap.top-left.events", "gesture topLeft doubleTap 0.222\n"},
        {"derived/alps-double-tap.bottom-right.events", "gesture bottomRight doubleTap 0.222\n"},
        {"recorded/AlpsPS2 ALPS GlidePoint.double-tap.events", ""},
    };
    for (const auto& [recording, output] : cases) EXPECT_EQ(sandbox.quorvel({"replay", data(recording)}, 0), output);
}

TEST(ReplayCommand, FailuresAreExplainedWithExitCodeOne)
{
    Sandbox sandbox;
    const auto file = [&](const char* name, const std::string& content) {
        writeFile(sandbox.path(name), content);
        return sandbox.path(name).string();
    };
    const std::string large = file("large.events", ""), fifo = sandbox.path("recording.fifo");
    fs::resize_file(large, 33 << 20);
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::string padded;  // the key bits up to BTN_TOOL_FINGER's byte
    for (int byte = 0; byte < 40; ++byte) padded += " 00";
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{file("backwards.events", "N: pad\nE: 2.5 0000 0000 0\n\nE: 2.25 0000 0000 0\n")},
         "backwards.events:4: E: time 2.25 is earlier than the event before it"},
        // No raw control character reaches the terminal, and a long line is cut short.
        {{file("control.events", "\x1b[2J\a" + std::string(100, 'x') + "\n")},
         "control.events:1: not an evemu line: '\\x1b[2J\\x07" + std::string(55, 'x') + "...'\n"},
        {{file("single-touch.events", "N: pad\nB: 00 0b\nB: 01" + padded + " 20\nB: 03 03\n")},
         "the recorded touchpad reports no multitouch contacts (one position only), which the agent needs"},
        {{large}, "is larger than 32 MiB"},
        {{"/nonexistent/recording.events"}, "cannot read '/nonexistent/recording.events'"},
        {{file("bad.events", "N: pad\nE: 0.1 0003\n")}, "bad.events:2: E: needs time, type, code and value"},
        {{data("recorded/bcm5974.three-finger-click.events")}, "protocol A"},
        {{data("recorded/SynPS2 Synaptics TouchPad.button-rpress.events")}, "no device description"},
        {{data("derived/alps-double-tap.top-left.events"), "--config", file("broken.json", "{")},
         "not a valid configuration"},
        {{"/dev/zero"}, "quorvel replay: '/dev/zero' is not a regular file\n"},
        {{fifo}, "quorvel replay: '" + fifo + "' is not a regular file\n"},
    };
    for (auto [arguments, message] : cases) {
        const bool special = arguments[0] == "/dev/zero" || arguments[0] == fifo;  // refused at once, never read
        arguments.insert(arguments.begin(), "replay");
        auto replay = sandbox.start("quorvel", arguments);
        EXPECT_EQ(replay->waitForExit(special ? 1s : 20s), 1) << arguments[1];
        EXPECT_NE((replay->output() + replay->errors()).find(message), std::string::npos) << replay->errors();
    }
}

}  // namespace
}  // namespace quorvel::testing
