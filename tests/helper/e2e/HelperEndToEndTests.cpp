// The real agent executable, started in a temporary home with a scripted touchpad in
// place of its multitouch bridge: frames cross from the touchpad's thread to the main
// loop, through the recogniser, the runner and the dispatcher, to a shortcut that runs
// as a child process and leaves a file behind.
#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <thread>

#include "tests/helper/e2e/AgentSandbox.h"

namespace quorvel::testing {
namespace {

using namespace std::chrono_literals;

constexpr const char* alreadyRunning = "Another Quorvel helper is already running";

TEST(AgentGestures, DoubleTapInACornerRunsItsShortcutAndSigtermEndsTheAgentCleanly)
{
    AgentSandbox sandbox;
    sandbox.addShortcut("touch-file");
    sandbox.writeConfiguration(configurationRunningShortcut("touch-file"));
    auto agent = sandbox.startAgent();
    ASSERT_TRUE(eventually([&] { return sandbox.touchpadStarted(); })) << agent->log();

    sandbox.requestDoubleTap();
    ASSERT_TRUE(eventually([&] { return sandbox.runsOf("touch-file") == 1; })) << agent->log();
    EXPECT_NE(agent->log().find("Quorvel helper started"), std::string::npos);

    agent->sendSignal(SIGTERM);
    EXPECT_EQ(agent->waitForExit(), 0) << agent->log();
    EXPECT_EQ(sandbox.runsOf("touch-file"), 1);
}

TEST(AgentSingleInstance, SecondAgentLogsAndEndsWithFailureWhileTheFirstKeepsWorking)
{
    AgentSandbox sandbox;
    sandbox.addShortcut("touch-file");
    sandbox.writeConfiguration(configurationRunningShortcut("touch-file"));
    auto first = sandbox.startAgent();
    ASSERT_TRUE(eventually([&] { return sandbox.touchpadStarted(); })) << first->log();

    auto second = sandbox.startAgent();
    const auto status = second->waitForExit();
    ASSERT_TRUE(status.has_value()) << second->log();
    EXPECT_NE(*status, 0);
    EXPECT_NE(second->log().find(alreadyRunning), std::string::npos) << second->log();
    EXPECT_EQ(second->log().find("Quorvel helper started"), std::string::npos);

    ASSERT_TRUE(first->isRunning());
    sandbox.requestDoubleTap();
    EXPECT_TRUE(eventually([&] { return sandbox.runsOf("touch-file") == 1; })) << first->log();
    EXPECT_EQ(first->log().find(alreadyRunning), std::string::npos);
}

TEST(AgentSingleInstance, LockIsFreeAgainOnceTheAgentHasEnded)
{
    AgentSandbox sandbox;
    sandbox.writeConfiguration(configurationRunningShortcut("touch-file"));
    auto first = sandbox.startAgent();
    ASSERT_TRUE(eventually([&] { return sandbox.touchpadStarted(); })) << first->log();
    first->sendSignal(SIGINT);
    ASSERT_EQ(first->waitForExit(), 0) << first->log();

    auto second = sandbox.startAgent();
    EXPECT_TRUE(eventually([&] { return second->log().find("Quorvel helper started") != std::string::npos; }))
        << second->log();
    EXPECT_TRUE(second->isRunning());
}

TEST(AgentConfiguration, EditingTheFileChangesTheAgentsBehaviourWithinHalfASecond)
{
    AgentSandbox sandbox;
    sandbox.addShortcut("before");
    sandbox.addShortcut("after");
    sandbox.writeConfiguration(configurationRunningShortcut("before"));
    auto agent = sandbox.startAgent();
    ASSERT_TRUE(eventually([&] { return sandbox.touchpadStarted(); })) << agent->log();

    sandbox.requestDoubleTap();
    ASSERT_TRUE(eventually([&] { return sandbox.runsOf("before") == 1; })) << agent->log();
    EXPECT_EQ(sandbox.runsOf("after"), 0);

    // The agent polls the file every half second; a tap just after that has to see the edit.
    sandbox.writeConfiguration(configurationRunningShortcut("after"));
    std::this_thread::sleep_for(600ms);
    sandbox.requestDoubleTap();
    ASSERT_TRUE(eventually([&] { return sandbox.runsOf("after") == 1; })) << agent->log();
    EXPECT_EQ(sandbox.runsOf("before"), 1);
}

}  // namespace
}  // namespace quorvel::testing
