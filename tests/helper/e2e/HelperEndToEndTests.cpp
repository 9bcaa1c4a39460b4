// The real agent in a sandbox: frames cross from the scripted touchpad's thread through the
// recogniser, the runner and the dispatcher to shortcuts; what the agent logs and in which order,
// signals, missing standard streams, refused starts.
#include <gtest/gtest.h>

#include <signal.h>

#include <numeric>

#include "tests/helper/e2e/Sandbox.h"

namespace quorvel::testing {
namespace {

namespace fs = std::filesystem;

// A second agent is refused meanwhile; the first logs the start, the devices, each failed action,
// a reload on SIGHUP and the stop, in that order.
TEST(AgentEndToEnd, ASecondAgentEndsNormallyAndTheFirstLogsWhatHappensInOrder)
{
    Sandbox sandbox;
    sandbox.addShortcut("killed", "kill -KILL $$");
    sandbox.addShortcut("a");
    // Each action in turn, through a SIGHUP reload; the line it logs.
    const std::pair<std::string, std::string> actions[] = {
        {R"({"runShortcut": {"name": "killed"}})",
         R"(error [Actions] Shortcut "killed" was ended by signal 9 (SIGKILL))"},
        {R"({"runShortcut": {"name": "a\u0000b"}})",
         R"(error [Actions] Could not start shortcut "a\x00b": an argument contains a NUL character)"},
        {R"({"openApp": {"name": "Nothing", "bundleIdentifier": "org.example.None"}})",
         R"(error [Actions] No application with the ID "org.example.None" or the name "Nothing")"},
        {R"({"openURL": {"urlString": " "}})", R"(error [Actions] Could not open the URL " ": there is no text)"},
    };
    auto agent = sandbox.startAgentRunning("fails", "exit 3");
    auto second = sandbox.start("quorvel-helper");
    EXPECT_EQ(second->waitForExit(), 0) << second->errors();  // not a failure: no service manager restarts it
    EXPECT_EQ(second->errors(), "info [Helper] Another Quorvel helper is already running\n");
    const std::string reload = "info [Helper] Reloading the configuration on request\n";
    // The sandbox has no session bus: said once, and the agent goes on.
    std::vector<std::string> expected{"info [Helper] Quorvel helper started\n",
                                      "info [TrackpadMonitor] Monitoring 1 multitouch device(s)\n",
                                      "info [Helper] No session bus: the agent's state is not published\n",
                                      "error [Actions] Shortcut \"fails\" ended with status 3\n"};
    sandbox.playScript();
    ASSERT_TRUE(eventually([&] { return countOf(agent->errors(), expected.back()) == 1; })) << agent->errors();
    for (std::size_t i = 0; i < std::size(actions); ++i) {
        sandbox.writeConfiguration(documentWithKind(actions[i].first));
        agent->sendSignal(SIGHUP);
        ASSERT_TRUE(eventually([&] { return countOf(agent->errors(), reload) == i + 1; })) << agent->errors();
        sandbox.playScript();
        expected.insert(expected.end(), {reload, actions[i].second + "\n"});
        ASSERT_TRUE(eventually([&] { return countOf(agent->errors(), expected.back()) == 1; })) << agent->errors();
    }
    agent->sendSignal(SIGTERM);
    EXPECT_EQ(agent->waitForExit(), 0);
    expected.push_back("info [Helper] Quorvel helper stopping on SIGTERM\n");

    // In this order, with at most the one line about a bell that cannot ring between them.
    std::string errors = agent->errors();
    const auto silentBell = errors.find("info [Helper] No alert sound can be played");
    if (silentBell != std::string::npos) errors.erase(silentBell, errors.find('\n', silentBell) + 1 - silentBell);
    EXPECT_EQ(errors, std::accumulate(expected.begin(), expected.end(), std::string()));
    EXPECT_EQ(sandbox.runsOf("fails"), 1);
    EXPECT_EQ(sandbox.runsOf("a"), 0);
}

// Each ends with status 1, saying what failed and why, and claims no other agent.
TEST(AgentEndToEnd, ALockFileOrFolderThatCannotBeUsedIsAFailureThatSaysWhatAndWhy)
{
    Sandbox sandbox;
    const fs::path lock = sandbox.supportFolder() / "helper.lock", file = sandbox.path("file");
    fs::create_directory(lock);
    writeFile(file, "");
    const std::pair<std::string, std::string> cases[] = {
        {"", "error [Helper] Could not open helper lock file " + lock.string() + ": Is a directory\n"},
        {"XDG_CONFIG_HOME=" + file.string(),
         "error [Helper] Could not create helper support directory: cannot create the folder " + file.string() +
             ": Not a directory\n"},
    };
    for (const auto& [variable, said] : cases) {
        auto agent = sandbox.start("quorvel-helper", {}, {variable});
        EXPECT_EQ(agent->waitForExit(), 1);
        EXPECT_EQ(agent->errors(), said);
    }
}

TEST(AgentEndToEnd, WithoutReadableTouchpadsTheStartLineComesFirstThenWhatToDoAboutIt)
{
    Sandbox sandbox;
    auto agent =
        sandbox.start("quorvel-helper", {}, {"QUORVEL_TEST_BRIDGE_DEVICES=0", "QUORVEL_TEST_BRIDGE_UNREADABLE=2"});
    const std::string report = "error [TrackpadMonitor] Touchpads found but not readable: 2 device(s); grant read "
                               "access (see the udev rule shipped with Quorvel and packaging/README.md), then run "
                               "`quorvel devices` to check\n";
    ASSERT_TRUE(eventually([&] { return agent->errors().find(report) != std::string::npos; })) << agent->errors();
    EXPECT_EQ(agent->errors().find("info [Helper] Quorvel helper started\n"), 0u) << agent->errors();
    EXPECT_LT(agent->errors().find("error [TrackpadMonitor] No multitouch devices found\n"),
              agent->errors().find(report));
}

TEST(AgentEndToEnd, StartedWithoutStandardStreamsTheAgentAndItsShortcutsWriteToDevNull)
{
    Sandbox sandbox;
    // The links are read in a subshell, so that no redirection of the shell's own is in the way.
    sandbox.addShortcut("streams", "L=$(readlink /proc/$$/fd/[12]); echo \"$L\" >> \"$OUT\"; echo out >&2");
    sandbox.writeConfiguration(configurationRunningShortcut("streams"));
    auto agent = sandbox.start("quorvel-helper", {}, {}, true);
    ASSERT_TRUE(eventually([&] { return sandbox.touchpadStarted(); }));
    for (const char* fd : {"0", "1", "2"})
        EXPECT_EQ(fs::read_symlink("/proc/" + std::to_string(agent->pid()) + "/fd/" + fd), "/dev/null");
    sandbox.playScript();
    ASSERT_TRUE(eventually([&] { return sandbox.runsOf("streams") == 3; }));
    EXPECT_EQ(sandbox.shortcutOutput("streams"), "ran\n/dev/null\n/dev/null\n");
    EXPECT_EQ(fs::file_size(sandbox.supportFolder() / "helper.lock"), 0u);  // no log line went into it
}

}  // namespace
}  // namespace quorvel::testing
