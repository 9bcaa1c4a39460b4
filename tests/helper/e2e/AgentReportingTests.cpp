// The real programs as a person meets them: what the agent logs and in which order, how it
// treats signals, names it cannot pass on and missing standard streams, why a start is
// refused, and the command-line conventions of every program.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <regex>

#include "tests/helper/e2e/Sandbox.h"

namespace quorvel::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

struct AgentReporting : ::testing::Test {
    std::unique_ptr<SandboxProcess> startAgent(const std::string& shortcutName, bool closedStreams = false)
    {
        sandbox.writeConfiguration(configurationRunningShortcut(shortcutName));
        auto agent = sandbox.start("quorvel-helper", {}, {}, closedStreams);
        EXPECT_TRUE(eventually([&] { return sandbox.touchpadStarted(); })) << agent->errors();
        return agent;
    }
    bool logged(SandboxProcess& agent, const std::string& line)
    {
        return eventually([&] { return agent.errors().find(line + "\n") != std::string::npos; });
    }
    fs::path supportFolder() const { return sandbox.configurationFile().parent_path(); }

    Sandbox sandbox;
};

TEST_F(AgentReporting, StartDevicesFailedShortcutReloadAndStopAreLoggedInThatOrder)
{
    sandbox.addShortcut("fails", "exit 3");
    auto agent = startAgent("fails");
    sandbox.playScript();
    ASSERT_TRUE(logged(*agent, R"(error [Actions] Shortcut "fails" ended with status 3)")) << agent->errors();
    agent->sendSignal(SIGHUP);
    ASSERT_TRUE(logged(*agent, "info [Helper] Reloading the configuration on request")) << agent->errors();
    EXPECT_TRUE(agent->isRunning());
    agent->sendSignal(SIGTERM);
    EXPECT_EQ(agent->waitForExit(), 0) << agent->errors();

    EXPECT_EQ(agent->errors(),
              "info [Helper] Quorvel helper started\n"
              "info [TrackpadMonitor] Monitoring 1 multitouch device(s)\n"
              "error [Actions] Shortcut \"fails\" ended with status 3\n"
              "info [Helper] Reloading the configuration on request\n"
              "info [Helper] Quorvel helper stopping on SIGTERM\n");
}

TEST_F(AgentReporting, AFailedActionIsOneLineWithoutTheSoundLibrarysNoiseOrABellCharacter)
{
    sandbox.writeConfiguration(configurationRunning(R"({"openURL": {"urlString": " "}})"));
    auto agent = sandbox.start("quorvel-helper");
    ASSERT_TRUE(eventually([&] { return sandbox.touchpadStarted(); })) << agent->errors();
    sandbox.playScript();
    ASSERT_TRUE(logged(*agent, R"(error [Actions] Could not open the URL " ": there is no text)")) << agent->errors();
    EXPECT_EQ(agent->errors().find("ALSA"), std::string::npos) << agent->errors();
    EXPECT_EQ(agent->errors().find('\a'), std::string::npos) << agent->errors();
}

TEST_F(AgentReporting, ANameWithANulCharacterIsRefusedAndNeverRunsTheShortcutItStartsWith)
{
    sandbox.addShortcut("a");
    auto agent = startAgent("a\\u0000b");
    sandbox.playScript();
    EXPECT_TRUE(logged(*agent, R"(error [Actions] Could not start shortcut "a\x00b": an argument contains a NUL )"
                               "character"))
        << agent->errors();
    EXPECT_EQ(sandbox.runsOf("a"), 0);
}

TEST_F(AgentReporting, StartedWithoutStandardStreamsTheAgentAndItsShortcutsWriteToDevNull)
{
    // The links are read in a subshell, so that no redirection of the shell's own is in the way.
    sandbox.addShortcut("streams", "L=$(readlink /proc/$$/fd/[12]); echo \"$L\" >> \"$OUT\"; echo out >&2");
    auto agent = startAgent("streams", true);
    for (int fd = 0; fd <= 2; ++fd) {
        EXPECT_EQ(fs::read_symlink("/proc/" + std::to_string(agent->pid()) + "/fd/" + std::to_string(fd)),
                  "/dev/null");
    }
    sandbox.playScript();
    ASSERT_TRUE(eventually([&] { return sandbox.runsOf("streams") == 3; }));
    EXPECT_EQ(sandbox.shortcutOutput("streams"), "ran\n/dev/null\n/dev/null\n");
    EXPECT_EQ(fs::file_size(supportFolder() / "helper.lock"), 0u);  // no log line went into it
    agent->sendSignal(SIGTERM);
    EXPECT_EQ(agent->waitForExit(), 0);
}

TEST_F(AgentReporting, AnUnusableFolderOrLockFileIsAFailureThatSaysWhatAndWhy)
{
    const fs::path lock = supportFolder() / "helper.lock";
    // What stands in the way; the error line.
    const std::pair<std::function<void()>, std::string> cases[] = {
        {[&] { fs::create_directory(lock); },
         "error [Helper] Could not open helper lock file " + lock.string() + ": Is a directory\n"},
        {[&] {
             fs::remove_all(supportFolder());
             std::ofstream(supportFolder()) << "not a folder";
         },
         "error [Helper] Could not create helper support directory: cannot create the folder " +
             supportFolder().string() + ": Not a directory\n"},
    };
    for (const auto& [obstruct, error] : cases) {
        obstruct();
        auto agent = sandbox.start("quorvel-helper");
        EXPECT_EQ(agent->waitForExit(), 1) << agent->errors();
        EXPECT_EQ(agent->errors(), error);
    }
}

TEST_F(AgentReporting, ReplayRefusesWhatIsNotARegularFileWithinASecond)
{
    const fs::path fifo = sandbox.configurationFile().parent_path() / "recording.fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path : {std::string("/dev/zero"), fifo.string()}) {
        auto replay = sandbox.start("quorvel", {"replay", path});
        EXPECT_EQ(replay->waitForExit(1s), 1) << path;
        EXPECT_EQ(replay->errors(), "quorvel replay: '" + path + "' is not a regular file\n");
    }
}

TEST(CommandLine, EveryProgramAndCommandAnswersHelpAndVersionAndSaysUsageErrorsWithStatusTwo)
{
    Sandbox sandbox;
    // Program, arguments, exit status; the output of --help starts with "Usage:", that of
    // --version with the program's name and a number, and usage errors go to stderr.
    const std::tuple<const char*, std::vector<std::string>, int> cases[] = {
        {"quorvel-helper", {"--help"}, 0},
        {"quorvel-helper", {"--version"}, 0},
        {"quorvel", {"--help"}, 0},
        {"quorvel", {"--version"}, 0},
        {"quorvel", {"bogus"}, 2},
        {"quorvel", {"devices", "--help"}, 0},
        {"quorvel", {"devices", "--version"}, 0},
        {"quorvel", {"devices", "--bogus"}, 2},
        {"quorvel", {"replay", "--help"}, 0},
        {"quorvel", {"replay", "--version"}, 0},
        {"quorvel", {"replay"}, 2},
        {"quorvel", {"replay", "a", "--bogus"}, 2},
        {"quorvel", {"watch", "--help"}, 0},
        {"quorvel", {"watch", "--version"}, 0},
        {"quorvel", {"watch", "--config"}, 2},
        {"quorvel-shortcuts", {"--help"}, 0},
        {"quorvel-shortcuts", {"--version"}, 0},
        {"quorvel-shortcuts", {"run", "--help"}, 0},
        {"quorvel-shortcuts", {"list", "--version"}, 0},
        {"quorvel-shortcuts", {"list", "extra"}, 2},
        {"quorvel-shortcuts", {}, 2},
    };
    for (const auto& [program, arguments, status] : cases) {
        auto run = sandbox.start(program, arguments);
        const std::string what = std::string(program) + " " + (arguments.empty() ? "" : arguments.back());
        EXPECT_EQ(run->waitForExit(), status) << what;
        if (status == 2) {
            EXPECT_NE(run->errors(), "") << what;
        } else if (arguments.back() == "--help") {
            EXPECT_EQ(run->output().rfind("Usage: ", 0), 0u) << what << ": " << run->output();
        } else {
            EXPECT_TRUE(std::regex_match(run->output(), std::regex(std::string(program) + " [0-9][^\n]*\n")))
                << what << ": " << run->output();
        }
    }
}

}  // namespace
}  // namespace quorvel::testing
