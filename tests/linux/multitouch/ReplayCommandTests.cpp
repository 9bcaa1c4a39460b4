// `quorvel replay` as a user runs it: output lines, configuration, failures.
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

const std::filesystem::path touchpads = std::filesystem::path(QUORVEL_TESTDATA_DIR) / "touchpads";

struct ToolRun {
    int exitCode = -1;
    std::string output;  // stdout and stderr together
};

std::string quoted(const std::string& argument)
{
    std::string result = "'";
    for (char c : argument) result += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return result + "'";
}

ToolRun replay(const std::vector<std::string>& arguments)
{
    std::string command = quoted(QUORVEL_TOOL) + " replay";
    for (const auto& argument : arguments) command += " " + quoted(argument);
    command += " 2>&1";
    ToolRun run;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return run;
    std::array<char, 4096> buffer{};
    while (const std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe)) run.output.append(buffer.data(), n);
    const int status = ::pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

std::string data(const char* relative)
{
    const auto path = touchpads / relative;
    if (!std::filesystem::exists(path)) throw std::runtime_error("test data missing: " + path.string());
    return path.string();
}

std::string writeFile(const char* name, const std::string& content)
{
    const auto path = std::filesystem::path(::testing::TempDir()) / (std::to_string(::getpid()) + "-" + name);
    std::ofstream(path) << content;
    return path.string();
}

std::string configurationWith(double cornerZone, bool topLeftTripleTap)
{
    std::string tripleTap = topLeftTripleTap ? R"(, "tripleTap": {"id": "00000000-0000-4000-8000-000000000002",
        "kind": {"showSpotlightSearch": {}}, "isEnabled": true})"
                                             : "";
    return R"({"isEnabled": true, "recognizer": {"cornerZone": )" + std::to_string(cornerZone) +
           R"(, "doubleTapWindow": 0.45, "tripleTapWindow": 0.2, "maximumTapDuration": 0.28, "maximumTapTravel": 0.08},
        "assignments": [{"corner": "topLeft")" +
           tripleTap + "}]}";
}

TEST(ReplayCommand, PrintsOneLinePerGestureWithSecondsFromTheFirstEvent)
{
    EXPECT_EQ(replay({data("derived/alps-double-tap.top-left.events")}).output, "gesture topLeft doubleTap 0.222\n");
    EXPECT_EQ(replay({data("derived/alps-double-tap.bottom-right.events")}).output,
              "gesture bottomRight doubleTap 0.222\n");
    const ToolRun midPad = replay({data("recorded/AlpsPS2 ALPS GlidePoint.double-tap.events")});
    EXPECT_EQ(midPad.exitCode, 0);
    EXPECT_EQ(midPad.output, "");
}

TEST(ReplayCommand, VerboseShowsTouchesAndADescriptionFileMayComeFirst)
{
    const ToolRun run = replay({data("recorded/SynPS2 Synaptics TouchPad.desc"),
                            data("recorded/SynPS2 Synaptics TouchPad.button-rpress.events"), "--verbose"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_NE(run.output.find("touch began 0.000 id 117 state 1 at (0.103, 0.000) corner bottomLeft"), std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find("touch ended 0.483 id 117 duration 0.483"), std::string::npos) << run.output;
}

TEST(ReplayCommand, ConfigurationSetsTheTuning)
{
    const auto narrow = writeFile("narrow.json", configurationWith(0.05, false));
    EXPECT_EQ(replay({data("derived/alps-double-tap.top-left.events"), "--config", narrow}).output, "");
    const auto waiting = writeFile("waiting.json", configurationWith(0.3, true));
    EXPECT_EQ(replay({data("derived/alps-double-tap.top-left.events"), "--config", waiting}).output,
              "gesture topLeft doubleTap 0.222\n")
        << "released after the last frame, with its own timestamp";
}

TEST(ReplayCommand, FailuresAreExplainedWithExitCodeOne)
{
    const auto expectFailure = [](const std::vector<std::string>& arguments, const std::string& message) {
        const ToolRun run = replay(arguments);
        EXPECT_EQ(run.exitCode, 1) << run.output;
        EXPECT_NE(run.output.find(message), std::string::npos) << run.output;
    };
    expectFailure({"/nonexistent/recording.events"}, "cannot read '/nonexistent/recording.events'");
    expectFailure({writeFile("bad.events", "N: pad\nE: 0.1 0003\n")}, "bad.events:2: E: needs time, type, code and value");
    expectFailure({data("recorded/bcm5974.three-finger-click.events")}, "protocol A");
    expectFailure({data("recorded/SynPS2 Synaptics TouchPad.button-rpress.events")}, "no device description");
    expectFailure({data("derived/alps-double-tap.top-left.events"), "--config", writeFile("broken.json", "{")},
                  "not a valid configuration");
}

}  // namespace
