// `quorvel replay` as a user runs it: its output lines and its failures.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct ToolRun {
    int exitCode = -1;
    std::string output;  // stdout and stderr together
};

ToolRun replay(const std::vector<std::string>& arguments)
{
    const auto quoted = [](const std::string& text) { return "'" + text + "'"; };  // no path here holds a quote
    std::string command = quoted(QUORVEL_TOOL) + " replay";
    for (const auto& argument : arguments) command += " " + quoted(argument);
    ToolRun run;
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) return run;
    std::array<char, 4096> buffer{};
    while (const std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe)) run.output.append(buffer.data(), n);
    const int status = ::pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

// Missing data fails the test rather than passing as a failed replay.
std::string data(const char* name)
{
    const auto path = std::filesystem::path(QUORVEL_TESTDATA_DIR) / "touchpads" / name;
    if (!std::filesystem::exists(path)) throw std::runtime_error("test data missing: " + path.string());
    return path.string();
}

std::string writeFile(const char* name, const std::string& content)
{
    const auto path = std::filesystem::path(::testing::TempDir()) / (std::to_string(::getpid()) + "-" + name);
    std::ofstream(path) << content;
    return path.string();
}

TEST(ReplayCommand, PrintsOneLinePerGestureWithSecondsFromTheFirstEvent)
{
    const std::pair<const char*, const char*> cases[] = {
        {"derived/alps-double-tap.top-left.events", "gesture topLeft doubleTap 0.222\n"},
        {"derived/alps-double-tap.bottom-right.events", "gesture bottomRight doubleTap 0.222\n"},
        {"recorded/AlpsPS2 ALPS GlidePoint.double-tap.events", ""},
    };
    for (const auto& [recording, output] : cases) {
        const ToolRun run = replay({data(recording)});
        EXPECT_EQ(run.exitCode, 0) << recording;
        EXPECT_EQ(run.output, output) << recording;
    }
}

TEST(ReplayCommand, FailuresAreExplainedWithExitCodeOne)
{
    const std::string large = writeFile("large.events", "");
    std::filesystem::resize_file(large, 33 << 20);
    std::string padded;  // the key bits up to BTN_TOOL_FINGER's byte
    for (int byte = 0; byte < 40; ++byte) padded += " 00";
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{writeFile("backwards.events", "N: pad\nE: 2.5 0000 0000 0\n\nE: 2.25 0000 0000 0\n")},
         "backwards.events:4: E: time 2.25 is earlier than the event before it"},
        // No raw control character reaches the terminal, and a long line is cut short.
        {{writeFile("control.events", "\x1b[2J\a" + std::string(100, 'x') + "\n")},
         "control.events:1: not an evemu line: '\\x1b[2J\\x07" + std::string(55, 'x') + "...'\n"},
        {{writeFile("single-touch.events", "N: pad\nB: 00 0b\nB: 01" + padded + " 20\nB: 03 03\n")},
         "the recorded touchpad reports no multitouch contacts (one position only), which the agent needs"},
        {{large}, "is larger than 32 MiB"},
        {{"/nonexistent/recording.events"}, "cannot read '/nonexistent/recording.events'"},
        {{writeFile("bad.events", "N: pad\nE: 0.1 0003\n")}, "bad.events:2: E: needs time, type, code and value"},
        {{data("recorded/bcm5974.three-finger-click.events")}, "protocol A"},
        {{data("recorded/SynPS2 Synaptics TouchPad.button-rpress.events")}, "no device description"},
        {{data("derived/alps-double-tap.top-left.events"), "--config", writeFile("broken.json", "{")},
         "not a valid configuration"},
    };
    for (const auto& [arguments, message] : cases) {
        const ToolRun run = replay(arguments);
        EXPECT_EQ(run.exitCode, 1) << run.output;
        EXPECT_NE(run.output.find(message), std::string::npos) << run.output;
    }
    std::filesystem::remove(large);
}

}  // namespace
