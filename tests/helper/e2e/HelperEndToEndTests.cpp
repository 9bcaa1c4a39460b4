// The real agent in a sandbox: frames cross from the scripted touchpad's thread through the
// recogniser, the runner and the dispatcher to a shortcut that leaves a file behind.
#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <thread>

#include "tests/helper/e2e/Sandbox.h"

namespace quorvel::testing {
namespace {

using namespace std::chrono_literals;

constexpr const char* alreadyRunning = "Another Quorvel helper is already running";

struct AgentEndToEnd : ::testing::Test {
    Sandbox sandbox;
    std::unique_ptr<SandboxProcess> startAgentRunning(const std::string& shortcut)
    {
        sandbox.addShortcut(shortcut);
        sandbox.writeConfiguration(configurationRunningShortcut(shortcut));
        auto agent = sandbox.start("quorvel-helper");
        EXPECT_TRUE(eventually([&] { return sandbox.touchpadStarted(); })) << agent->errors();
        return agent;
    }
};

TEST_F(AgentEndToEnd, DoubleTapInACornerRunsItsShortcutAndSigtermEndsTheAgentCleanly)
{
    auto agent = startAgentRunning("touch-file");
    sandbox.playScript();
    ASSERT_TRUE(eventually([&] { return sandbox.runsOf("touch-file") == 1; })) << agent->errors();
    EXPECT_NE(agent->errors().find("Quorvel helper started"), std::string::npos);

    agent->sendSignal(SIGTERM);
    EXPECT_EQ(agent->waitForExit(), 0) << agent->errors();
    EXPECT_EQ(sandbox.runsOf("touch-file"), 1);
}

TEST_F(AgentEndToEnd, SecondAgentLogsAndEndsNormallyWhileTheFirstKeepsWorking)
{
    auto first = startAgentRunning("touch-file");
    auto second = sandbox.start("quorvel-helper");
    // Not a failure: a service manager must not restart it.
    EXPECT_EQ(second->waitForExit(), 0) << second->errors();
    EXPECT_NE(second->errors().find(alreadyRunning), std::string::npos) << second->errors();
    EXPECT_EQ(second->errors().find("Quorvel helper started"), std::string::npos);

    ASSERT_TRUE(first->isRunning());
    sandbox.playScript();
    EXPECT_TRUE(eventually([&] { return sandbox.runsOf("touch-file") == 1; })) << first->errors();
    EXPECT_EQ(first->errors().find(alreadyRunning), std::string::npos);
}

TEST_F(AgentEndToEnd, EditingTheConfigurationChangesTheAgentsBehaviourWithinHalfASecond)
{
    auto agent = startAgentRunning("before");
    sandbox.addShortcut("after");
    sandbox.playScript();
    ASSERT_TRUE(eventually([&] { return sandbox.runsOf("before") == 1; })) << agent->errors();
    EXPECT_EQ(sandbox.runsOf("after"), 0);

    sandbox.writeConfiguration(configurationRunningShortcut("after"));
    std::this_thread::sleep_for(600ms);
    sandbox.playScript();
    ASSERT_TRUE(eventually([&] { return sandbox.runsOf("after") == 1; })) << agent->errors();
    EXPECT_EQ(sandbox.runsOf("before"), 1);
}

TEST_F(AgentEndToEnd, StartLineThenNoDevicesThenWhatToDoAboutIt)
{
    auto agent =
        sandbox.start("quorvel-helper", {}, {"QUORVEL_TEST_BRIDGE_DEVICES=0", "QUORVEL_TEST_BRIDGE_UNREADABLE=2"});
    const std::string report = "error [TrackpadMonitor] Touchpads found but not readable: 2 device(s); grant read "
                               "access (see the udev rule shipped with Quorvel and packaging/README.md), then run "
                               "`quorvel devices` to check\n";
    ASSERT_TRUE(eventually([&] { return agent->errors().find(report) != std::string::npos; })) << agent->errors();
    const std::string errors = agent->errors();
    EXPECT_EQ(errors.find("info [Helper] Quorvel helper started\n"), 0u) << errors;
    EXPECT_LT(errors.find("error [TrackpadMonitor] No multitouch devices found\n"), errors.find(report)) << errors;

    agent->sendSignal(SIGTERM);
    EXPECT_EQ(agent->waitForExit(), 0) << agent->errors();
}

}  // namespace
}  // namespace quorvel::testing
