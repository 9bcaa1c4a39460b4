#include <fcntl.h>
#include <sys/stat.h>

#include "tests/helper/RunnerTestSupport.h"

namespace quorvel {

struct HelperRunnerProbe {
    static int lockFileDescriptor(const HelperRunner& runner) { return runner.lockFile_.get(); }
};

namespace {

using testing::FakeHelperServices;
using Launches = std::vector<testing::LaunchRequest>;

// The top-left double tap runs the shortcut "double"; a triple tap, when there is one, "triple".
std::string configuration(bool enabled, std::optional<bool> tripleTapEnabled = std::nullopt)
{
    const auto action = [](char id, const std::string& shortcut, bool isEnabled) {
        return std::string(R"({"id": "00000000-0000-4000-8000-00000000000)") + id + R"(", "kind": {"runShortcut": )"
               + R"({"name": ")" + shortcut + R"("}}, "isEnabled": )" + (isEnabled ? "true" : "false") + "}";
    };
    std::string topLeft = R"({"corner": "topLeft", "doubleTap": )" + action('1', "double", true);
    if (tripleTapEnabled) topLeft += R"(, "tripleTap": )" + action('2', "triple", *tripleTapEnabled);
    const std::string document = testing::documentWithAssignments("[" + topLeft + "}]");
    return enabled ? document : testing::replaced(document, "true", "false");
}

testing::LaunchRequest shortcut(const char* name) { return {"/usr/bin/shortcuts", {"run", name}}; }

class HelperRunnerTest : public ::testing::Test {
protected:
    void SetUp() override { testing::resetProcessState(); }
    void TearDown() override
    {
        runner.reset();
        testing::resetProcessState();
    }

    void startRunner()
    {
        runner = std::make_unique<HelperRunner>(fakes.services());
        ASSERT_TRUE(runner->start());
        fakes.mainQueue.drain();
    }

    // One short, still tap in the top-left corner: down at `time`, gone 50 ms later.
    // Frame time and queue time move together.
    void tapTopLeft(double time)
    {
        fakes.mainQueue.advance(time - fakes.mainQueue.now());
        testing::deliverFrame(time, {TrackpadContact{7, 1, {0.1, 0.9}, 1.0}});
        fakes.mainQueue.advance(0.05);
        testing::deliverFrame(time + 0.05, {});
    }

    Launches& launches() { return fakes.actions.processLauncher.launches; }
    bool monitorRunning() const { return runner->monitor().isRunning().get(); }

    testing::TemporaryConfigHome home;
    FakeHelperServices fakes{QUORVEL_TEST_FRAMEWORK_PATH};
    std::unique_ptr<HelperRunner> runner;
};

// From a switched-off file through absent, created, broken and switched off again: the
// configuration in force each time, and the monitor running exactly while corner taps are on.
TEST_F(HelperRunnerTest, FollowsTheFileAndRunsTheMonitorOnlyWhileCornerTapsAreOn)
{
    home.write("configuration.json", configuration(false));
    startRunner();
    EXPECT_FALSE(monitorRunning());
    EXPECT_EQ(runner->monitor().statusMessage().get(), "Not started");
    EXPECT_EQ(fakes.log.messages().front(), "Quorvel helper started");

    home.remove("configuration.json");
    fakes.mainQueue.advance(0.5);
    EXPECT_FALSE(runner->configurationData().has_value());
    EXPECT_EQ(runner->configuration(), AppConfiguration::defaultConfiguration());
    EXPECT_TRUE(monitorRunning());
    fakes.mainQueue.advance(2.0);  // polls of an absent file change nothing
    EXPECT_FALSE(runner->configurationData().has_value());

    home.write("configuration.json", configuration(true));
    fakes.mainQueue.advance(0.5);
    ASSERT_TRUE(runner->configurationData().has_value());
    EXPECT_TRUE(runner->configuration().assignment(TrackpadCorner::topLeft).doubleTap.has_value());

    home.write("configuration.json", "{ not json");
    fakes.mainQueue.advance(0.5);
    EXPECT_EQ(runner->configuration(), AppConfiguration::defaultConfiguration());
    EXPECT_TRUE(monitorRunning());

    home.write("configuration.json", configuration(false));
    fakes.mainQueue.advance(0.5);
    EXPECT_FALSE(monitorRunning());
    EXPECT_EQ(runner->monitor().statusMessage().get(), "Stopped");
}

TEST_F(HelperRunnerTest, ChangedBytesReapplyTheConfigurationIdenticalBytesDoNot)
{
    // A reapplied configuration replaces the recogniser, dropping a held double tap;
    // that is how a reload shows from outside.
    const std::string file = configuration(true, true);
    home.write("configuration.json", file);
    startRunner();

    tapTopLeft(0.10);
    tapTopLeft(0.40);  // double tap held at queue time 0.45, waiting for a third tap
    home.write("configuration.json", file);
    fakes.mainQueue.advance(1.0);  // poll at 0.5 sees the same bytes
    EXPECT_EQ(launches(), Launches{shortcut("double")});

    tapTopLeft(2.10);
    tapTopLeft(2.40);
    home.write("configuration.json", file + " ");
    fakes.mainQueue.advance(1.0);  // poll at 2.5 reloads before the release at 2.65
    EXPECT_EQ(launches(), Launches{shortcut("double")});
}

// Taps of 50 ms at the given times: the shortcuts run by the end of the last tap, and a second later.
// A triple tap runs at once.
TEST_F(HelperRunnerTest, DoubleTapsRunAtOnceUnlessASwitchedOnTripleTapActionMayStillFollow)
{
    const std::tuple<std::optional<bool>, std::vector<double>, Launches, Launches> rows[] = {
        {std::nullopt, {0.10, 0.40}, {shortcut("double")}, {shortcut("double")}},
        {false, {0.10, 0.40, 0.55}, {shortcut("double")}, {shortcut("double")}},  // it neither runs nor waits
        {true, {0.10, 0.30}, {}, {shortcut("double")}},
        {true, {0.10, 0.30, 0.42}, {shortcut("triple")}, {shortcut("triple")}},  // and replaces the held double tap
    };
    for (const auto& [tripleTapEnabled, taps, atOnce, later] : rows) {
        home.write("configuration.json", configuration(true, tripleTapEnabled));
        startRunner();
        const double start = fakes.mainQueue.now() + 1;
        for (const double tap : taps) tapTopLeft(start + tap);
        EXPECT_EQ(launches(), atOnce) << taps.size() << " taps";
        fakes.mainQueue.advance(1.0);
        EXPECT_EQ(launches(), later) << taps.size() << " taps";
        launches().clear();
    }
}

TEST_F(HelperRunnerTest, SuppressMarkerStopsActionsButNotRecognition)
{
    home.write("configuration.json", configuration(true));
    startRunner();
    home.write("suppress-actions", "");
    tapTopLeft(0.10);
    tapTopLeft(0.40);
    EXPECT_TRUE(launches().empty());
    EXPECT_EQ(runner->monitor().statusMessage().get(), "Top Left Double Tap");

    home.remove("suppress-actions");
    tapTopLeft(2.10);
    tapTopLeft(2.40);
    EXPECT_EQ(launches(), Launches{shortcut("double")});
}

// Another process holding the lock is refused alike, and a folder or lock file that cannot be used
// fails the start (end to end, with the agent itself).
TEST_F(HelperRunnerTest, ASecondRunnerIsRefusedWhileTheFirstGoesOnWithItsPrivateUninheritedLock)
{
    home.write("configuration.json", configuration(true));
    startRunner();
    struct stat info {};
    ASSERT_EQ(::stat((home.supportDirectory() / "helper.lock").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_TRUE(::fcntl(HelperRunnerProbe::lockFileDescriptor(*runner), F_GETFD) & FD_CLOEXEC);
    const auto firstLogCount = fakes.log.records.size();

    // What the refused one logs, the agent's end-to-end test shows.
    FakeHelperServices otherFakes{QUORVEL_TEST_FRAMEWORK_PATH};
    auto second = std::make_unique<HelperRunner>(otherFakes.services());
    EXPECT_FALSE(second->start());
    EXPECT_EQ(otherFakes.mainQueue.pendingScheduledCount(), 0u);  // no poll timer
    EXPECT_EQ(fakes.log.records.size(), firstLogCount);
    EXPECT_TRUE(monitorRunning());
    runner.reset();  // and its lock with it
    second = std::make_unique<HelperRunner>(otherFakes.services());
    EXPECT_TRUE(second->start());
}

}  // namespace
}  // namespace quorvel
