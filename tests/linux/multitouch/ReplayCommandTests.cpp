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
    const std::pair<std::vector<std::string>, std::string> cases[] = {
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
}

}  // namespace
