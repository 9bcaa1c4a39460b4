#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/helper/RunnerTestSupport.h"

namespace quorvel {

struct HelperRunnerProbe {
    static int lockFileDescriptor(const HelperRunner& runner) { return runner.lockFileDescriptor_; }
};

namespace {

using testing::FakeHelperServices;
using testing::LaunchRequest;
using testing::TemporaryConfigHome;

constexpr const char* recognizerJson =
    R"("recognizer": {"cornerZone": 0.3, "doubleTapWindow": 0.45, "tripleTapWindow": 0.2,
                      "maximumTapDuration": 0.28, "maximumTapTravel": 0.08})";

std::string action(const char* id, const char* shortcut, bool enabled = true)
{
    return std::string(R"({"id": ")") + id + R"(", "kind": {"runShortcut": {"name": ")" + shortcut +
           R"("}}, "isEnabled": )" + (enabled ? "true" : "false") + "}";
}

// topLeft: double tap runs "double"; a triple-tap action "triple" when asked for.
std::string configuration(bool enabled, bool withTripleTap, bool tripleTapEnabled = true)
{
    std::string topLeft = R"({"corner": "topLeft", "doubleTap": )" +
                          action("00000000-0000-4000-8000-000000000001", "double");
    if (withTripleTap) {
        topLeft += R"(, "tripleTap": )" + action("00000000-0000-4000-8000-000000000002", "triple", tripleTapEnabled);
    }
    topLeft += "}";
    return std::string("{\"isEnabled\": ") + (enabled ? "true" : "false") + ", " + recognizerJson +
           ", \"assignments\": [" + topLeft + "]}";
}

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

    std::vector<LaunchRequest> launches() const { return fakes.actions.processLauncher.launches; }
    static LaunchRequest shortcut(const char* name) { return {"/usr/bin/shortcuts", {"run", name}}; }

    TemporaryConfigHome home;
    FakeHelperServices fakes{QUORVEL_TEST_FRAMEWORK_PATH};
    std::unique_ptr<HelperRunner> runner;
};

TEST_F(HelperRunnerTest, FollowsTheFileFromAbsentToCreatedToDeletedAndBroken)
{
    startRunner();
    EXPECT_EQ(runner->configuration(), AppConfiguration::defaultConfiguration());
    EXPECT_FALSE(runner->configurationData().has_value());
    EXPECT_TRUE(runner->monitor().isRunning().get());
    EXPECT_EQ(fakes.log.messages().front(), "Quorvel helper started");

    fakes.mainQueue.advance(2.0);  // polls of an absent file change nothing
    EXPECT_FALSE(runner->configurationData().has_value());

    home.write("configuration.json", configuration(true, false));
    fakes.mainQueue.advance(0.5);
    ASSERT_TRUE(runner->configurationData().has_value());
    EXPECT_TRUE(runner->configuration().assignment(TrackpadCorner::topLeft).doubleTap.has_value());

    home.remove("configuration.json");
    fakes.mainQueue.advance(0.5);
    EXPECT_FALSE(runner->configurationData().has_value());
    EXPECT_EQ(runner->configuration(), AppConfiguration::defaultConfiguration());

    home.write("configuration.json", configuration(true, false));
    fakes.mainQueue.advance(0.5);
    home.write("configuration.json", "{ not json");
    fakes.mainQueue.advance(0.5);
    EXPECT_EQ(runner->configuration(), AppConfiguration::defaultConfiguration());
    EXPECT_TRUE(runner->monitor().isRunning().get());
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
    EXPECT_EQ(launches(), std::vector{shortcut("double")});

    tapTopLeft(2.10);
    tapTopLeft(2.40);
    home.write("configuration.json", file + " ");
    fakes.mainQueue.advance(1.0);  // poll at 2.5 reloads before the release at 2.65
    EXPECT_EQ(launches(), std::vector{shortcut("double")});
}

TEST_F(HelperRunnerTest, DisablingStopsTheMonitorAndEnablingStartsItAgain)
{
    home.write("configuration.json", configuration(false, false));
    startRunner();
    EXPECT_FALSE(runner->monitor().isRunning().get());
    EXPECT_EQ(runner->monitor().statusMessage().get(), "Not started");

    home.write("configuration.json", configuration(true, false));
    fakes.mainQueue.advance(0.5);
    EXPECT_TRUE(runner->monitor().isRunning().get());

    home.write("configuration.json", configuration(false, false) + "\n");
    fakes.mainQueue.advance(0.5);
    EXPECT_FALSE(runner->monitor().isRunning().get());
    EXPECT_EQ(runner->monitor().statusMessage().get(), "Stopped");
}

TEST_F(HelperRunnerTest, DoubleTapRunsAtOnceWhereNoTripleTapIsAssigned)
{
    home.write("configuration.json", configuration(true, false));
    startRunner();
    tapTopLeft(0.10);
    tapTopLeft(0.40);
    EXPECT_EQ(launches(), std::vector{shortcut("double")});  // during the frame, no delay
}

TEST_F(HelperRunnerTest, DisabledTripleTapActionNeitherRunsNorMakesDoubleTapsWait)
{
    home.write("configuration.json", configuration(true, true, false));
    startRunner();
    tapTopLeft(0.10);
    tapTopLeft(0.40);
    EXPECT_EQ(launches(), std::vector{shortcut("double")});
    tapTopLeft(0.55);
    fakes.mainQueue.advance(1.0);
    EXPECT_EQ(launches(), std::vector{shortcut("double")});
}

TEST_F(HelperRunnerTest, TripleTapReplacesTheHeldDoubleTap)
{
    home.write("configuration.json", configuration(true, true));
    startRunner();
    tapTopLeft(0.10);
    tapTopLeft(0.30);
    EXPECT_TRUE(launches().empty());
    tapTopLeft(0.42);
    fakes.mainQueue.advance(1.0);
    EXPECT_EQ(launches(), std::vector{shortcut("triple")});
}

TEST_F(HelperRunnerTest, SuppressMarkerStopsActionsButNotRecognition)
{
    home.write("configuration.json", configuration(true, false));
    startRunner();
    home.write("suppress-actions", "");
    tapTopLeft(0.10);
    tapTopLeft(0.40);
    EXPECT_TRUE(launches().empty());
    EXPECT_EQ(runner->monitor().statusMessage().get(), "Top Left Double Tap");

    home.remove("suppress-actions");
    tapTopLeft(2.10);
    tapTopLeft(2.40);
    EXPECT_EQ(launches(), std::vector{shortcut("double")});
}

class SingleInstanceLockTest : public HelperRunnerTest {};

TEST_F(SingleInstanceLockTest, SecondRunnerIsRefusedAndFirstGoesOn)
{
    home.write("configuration.json", configuration(true, false));
    startRunner();
    const auto firstLogCount = fakes.log.records.size();

    FakeHelperServices otherFakes{QUORVEL_TEST_FRAMEWORK_PATH};
    HelperRunner second(otherFakes.services());
    EXPECT_FALSE(second.start());
    EXPECT_EQ(otherFakes.log.messages(), std::vector<std::string>{"Another Quorvel helper is already running"});
    EXPECT_EQ(otherFakes.log.records[0].level, platform::LogLevel::info);
    EXPECT_EQ(otherFakes.mainQueue.pendingScheduledCount(), 0u);  // no poll timer
    EXPECT_EQ(fakes.log.records.size(), firstLogCount);

    tapTopLeft(0.10);
    tapTopLeft(0.40);
    EXPECT_EQ(launches(), std::vector{shortcut("double")});
}

TEST_F(SingleInstanceLockTest, LockFileIsPrivateAndNotInheritedByChildren)
{
    startRunner();
    struct stat info {};
    ASSERT_EQ(::stat((home.supportDirectory() / "helper.lock").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    const int descriptor = HelperRunnerProbe::lockFileDescriptor(*runner);
    ASSERT_GE(descriptor, 0);
    EXPECT_TRUE(::fcntl(descriptor, F_GETFD) & FD_CLOEXEC);
}

TEST_F(SingleInstanceLockTest, LockHeldByAnotherProcessRefusesStart)
{
    std::filesystem::create_directories(home.supportDirectory());
    int ready[2];
    int release[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(release), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(release[1]);  // so that the parent's close reaches the child as end of file
        const int fd = ::open((home.supportDirectory() / "helper.lock").c_str(), O_RDWR | O_CREAT, 0600);
        const char ok = (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0) ? 'y' : 'n';
        (void)!::write(ready[1], &ok, 1);
        char ignored;
        (void)!::read(release[0], &ignored, 1);
        ::_exit(0);
    }
    ::close(release[0]);
    ::close(ready[1]);
    char ok = 'n';
    ASSERT_EQ(::read(ready[0], &ok, 1), 1);
    ASSERT_EQ(ok, 'y');

    HelperRunner refused(fakes.services());
    EXPECT_FALSE(refused.start());
    EXPECT_EQ(fakes.log.messages(), std::vector<std::string>{"Another Quorvel helper is already running"});

    ::close(release[1]);  // the child exits, and its lock with it
    int status = 0;
    ::waitpid(child, &status, 0);
    HelperRunner accepted(fakes.services());
    EXPECT_TRUE(accepted.start());
    ::close(ready[0]);
}

TEST_F(SingleInstanceLockTest, UncreatableSupportDirectoryIsLoggedAndRefused)
{
    // XDG_CONFIG_HOME names a regular file, so nothing can be created below it.
    const auto blocker = home.root() / "not-a-directory";
    std::ofstream(blocker) << "x";
    ::setenv("XDG_CONFIG_HOME", blocker.c_str(), 1);
    HelperRunner refused(fakes.services());
    EXPECT_FALSE(refused.start());
    ASSERT_EQ(fakes.log.records.size(), 1u);
    EXPECT_EQ(fakes.log.records[0].level, platform::LogLevel::error);
    EXPECT_EQ(fakes.log.records[0].format, "Could not create helper support directory: %s");
}

}  // namespace
}  // namespace quorvel
