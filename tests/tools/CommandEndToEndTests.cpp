// The command-line tools run as a person runs them, from the end-to-end sandbox: the conventions
// of every program, `quorvel watch` on the scripted touchpad, `quorvel replay` on recordings, and
// quorvel-shortcuts. (`quorvel config`, `status` and `doctor` have files of their own.)
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>

#include <regex>
#include <sstream>

#include "tests/helper/e2e/Sandbox.h"

namespace quorvel::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

TEST(CommandLine, EveryProgramAndCommandAnswersHelpAndVersionAndUsageErrorsExitWithTwo)
{
    Sandbox sandbox;
    // --help prints the usage and --version the program and its version; the rest are usage errors.
    for (const char* line : {"quorvel-helper --help", "quorvel-helper --version", "quorvel --version", "quorvel bogus",
                             "quorvel devices --help", "quorvel devices --version", "quorvel devices --all --bogus",
                             "quorvel replay --help", "quorvel replay --version", "quorvel replay a -x",
                             "quorvel watch --help", "quorvel watch --version", "quorvel watch --config",
                             "quorvel status --help", "quorvel status --bogus", "quorvel doctor --version",
                             "quorvel doctor extra", "quorvel config --help", "quorvel config tune --help",
                             "quorvel config frobnicate", "quorvel config show --yaml", "quorvel config path extra",
                             "quorvel config tune cornerZone x", "quorvel-shortcuts --version",
                             "quorvel-shortcuts run --help", "quorvel-shortcuts list --version",
                             "quorvel-shortcuts list extra"}) {
        std::istringstream words(line);
        std::string program, word;
        std::vector<std::string> arguments;
        for (words >> program; words >> word;) arguments.push_back(word);
        auto run = sandbox.start(program, arguments);
        const bool help = arguments.back() == "--help", version = arguments.back() == "--version";
        EXPECT_EQ(run->waitForExit(), help || version ? 0 : 2) << line;
        const std::string expected = help ? "Usage: [\\s\\S]*" : version ? program + " [0-9][^\n]*\n" : "";
        EXPECT_TRUE(std::regex_match(run->output(), std::regex(expected))) << line << ": " << run->output();
        EXPECT_TRUE(help || version || run->errors().find("Usage: ") != std::string::npos) << line;
    }
}

// Live, the touches it tracks and the gestures as the agent would deliver them; without a readable
// touchpad, where to look.
TEST(WatchCommand, PrintsTrackedTouchesAndDoubleTapsAtOnceOrWhyNoTouchpadCanBeRead)
{
    Sandbox sandbox;
    sandbox.writeConfiguration(configurationRunningShortcut("never-run"));
    const auto configuration = sandbox.configurationFile().string();
    sandbox.playScript();
    auto watch = sandbox.start("quorvel", {"watch", "--config", configuration});
    // Four touches are tracked (not the one in the middle); after the last, every gesture is out.
    ASSERT_TRUE(eventually([&] { return countOf(watch->output(), "touch ended") == 4; })) << watch->output();

    const std::string out = watch->output();
    const std::string lines[] = {"Configuration: " + configuration + "\n",
                                 "Double taps wait for a triple tap in: no corner\n",
                                 "Monitoring 1 multitouch device\n",
                                 "touch began 0.000 id 1 at (0.100, 0.900) corner topLeft contacts 1/1\n",
                                 "touch sample 0.250 id 1 at (0.120, 0.900) corner topLeft contacts 1/1\n",
                                 "touch ended 0.750 id 1 duration 0.750 travel 0.050 (too long for a tap)\n",
                                 "touch ended 2.050 id 3 duration 0.050 travel 0.000\n"};
    for (const std::string& line : lines) EXPECT_NE(out.find(line), std::string::npos) << line << out;
    for (const char* absent : {"id 2 ", "not readable"}) EXPECT_EQ(out.find(absent), std::string::npos) << out;
    // Released with the end of the second tap, before the third tap began; the only gesture.
    EXPECT_LT(out.find("gesture topLeft doubleTap 2.200\n"), out.find("touch began 2.300 id 5")) << out;
    EXPECT_EQ(countOf(out, "gesture "), 1u) << out;

    watch->sendSignal(SIGINT);
    EXPECT_EQ(watch->waitForExit(), 0) << watch->errors();

    const std::string said =
        sandbox.quorvel({"watch"}, 1, {"QUORVEL_TEST_BRIDGE_DEVICES=0", "QUORVEL_TEST_BRIDGE_UNREADABLE=2"});
    for (const char* part : {"No multitouch devices found\n", "`quorvel devices`", "udev rule",
                             "2 touchpad(s) found but not readable for lack of permission"}) {
        EXPECT_NE(said.find(part), std::string::npos) << said;
    }
    EXPECT_EQ(said.find("Monitoring"), std::string::npos);
}

// Missing data fails the test rather than passing as a failed replay.
std::string data(const char* name)
{
    const auto path = fs::path(QUORVEL_TESTDATA_DIR) / "touchpads" / name;
    if (!fs::exists(path)) throw std::runtime_error("test data missing: " + path.string());
    return path.string();
}

TEST(ReplayCommand, PrintsOneLinePerGestureWithSecondsFromTheFirstEventElseExplainsWithStatusOne)
{
    Sandbox sandbox;
    const std::pair<const char*, const char*> recordings[] = {
        {"derived/alps-double-tap.top-left.events", "gesture topLeft doubleTap 0.222\n"},
        {"derived/alps-double-tap.bottom-right.events", "gesture bottomRight doubleTap 0.222\n"},
        {"recorded/AlpsPS2 ALPS GlidePoint.double-tap.events", ""},
    };
    for (const auto& [recording, output] : recordings)
        EXPECT_EQ(sandbox.quorvel({"replay", data(recording)}, 0), output);

    // What it cannot replay it explains, with status 1.
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
        {{large}, "is larger than 32 MiB"}, {{"/nonexistent/x.events"}, "cannot read '/nonexistent/x.events'"},
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

TEST(ShortcutsTool, RunsOnlyAPlainNameOfAnExecutableOnlyTheUserCanChangeInTheirHome)
{
    Sandbox sandbox;
    const fs::path folder = sandbox.supportFolder() / "shortcuts";
    // Shortcuts that record their argument count and working folder; all but the first would be
    // reached only if a name were taken as a path or a file others can change were run.
    for (const char* name : {"Say Hello", "../escape", "sub/inner", ".hidden", "Shared"})
        sandbox.addShortcut(name, "echo \"$# $PWD\" >> \"$OUT\"");
    for (const fs::path& made : {sandbox.supportFolder(), folder}) fs::permissions(made, fs::perms(0755));
    fs::permissions(folder / "Shared", fs::perms::group_write, fs::perm_options::add);
    // Name, exit status, and what the error output says.
    const char* notAName = "a shortcut name must not";
    const std::tuple<const char*, int, const char*> cases[] = {
        {"Say Hello", 0, ""}, {"../escape", 2, notAName}, {"sub/inner", 2, notAName}, {".hidden", 2, notAName},
        {"", 2, notAName},
        {"Nothing", 1, "no shortcut named \"Nothing\""},
        {"Shared", 1, "Shared can be changed by other users; make it writable by you alone: chmod go-w"},
    };
    const auto run = [&](const std::vector<std::string>& arguments, int status) {
        auto tool = sandbox.start("quorvel-shortcuts", arguments);
        EXPECT_EQ(tool->waitForExit(), status) << arguments.back();
        return tool->errors();
    };
    for (const auto& [name, status, error] : cases)
        EXPECT_NE(run({"run", name}, status).find(error), std::string::npos) << name;
    const std::string ran = "ran\n0 " + sandbox.path("home").string() + "\n";
    EXPECT_EQ(sandbox.shortcutOutput("Say Hello"), ran);
    for (const char* name : {"../escape", "sub/inner", ".hidden", "Shared"}) EXPECT_EQ(sandbox.runsOf(name), 0);

    // A folder others can change makes every shortcut in it untrustworthy.
    fs::permissions(folder, fs::perms::others_write, fs::perm_options::add);
    for (const std::vector<std::string>& arguments : {std::vector<std::string>{"run", "Say Hello"}, {"list"}})
        EXPECT_NE(run(arguments, 1).find("shortcuts can be changed by other users"), std::string::npos);
    EXPECT_EQ(sandbox.shortcutOutput("Say Hello"), ran);
}

}  // namespace
}  // namespace quorvel::testing
