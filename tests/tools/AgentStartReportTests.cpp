// The agent's start-up on touchpads it may not read: the bridge's count of them is logged
// as an error of its own, apart from the monitor's "No multitouch devices found".
#include <gtest/gtest.h>

#include <signal.h>

#include <string>

#include "tests/tools/InstalledCopy.h"

namespace quorvel::testing {
namespace {

constexpr const char* noDevices = "error [TrackpadMonitor] No multitouch devices found\n";

TEST(AgentStartReport, UnreadableTouchpadsAreLoggedAsAnErrorBesideNoDevices)
{
    InstalledCopy copy;
    auto agent =
        copy.start("quorvel-helper", {}, {"QUORVEL_TEST_BRIDGE_DEVICES=0", "QUORVEL_TEST_BRIDGE_UNREADABLE=2"});
    const std::string report = "error [Helper] Touchpads found but not readable: 2 device(s); grant read access (see "
                               "the udev rule shipped with Quorvel)\n";
    ASSERT_TRUE(eventually([&] { return agent->errors().find(report) != std::string::npos; })) << agent->errors();
    EXPECT_NE(agent->errors().find(noDevices), std::string::npos) << agent->errors();

    agent->sendSignal(SIGTERM);
    EXPECT_EQ(agent->waitForExit(), 0) << agent->errors();
}

TEST(AgentStartReport, NothingMoreIsSaidWhenNoTouchpadWasLeftOut)
{
    InstalledCopy copy;
    auto agent = copy.start("quorvel-helper", {}, {"QUORVEL_TEST_BRIDGE_DEVICES=0"});
    ASSERT_TRUE(eventually([&] { return agent->errors().find("Quorvel helper started") != std::string::npos; }))
        << agent->errors();
    // The report would come from the same main-loop turn, before the signal is handled.
    agent->sendSignal(SIGTERM);
    EXPECT_EQ(agent->waitForExit(), 0) << agent->errors();
    EXPECT_NE(agent->errors().find(noDevices), std::string::npos) << agent->errors();
    EXPECT_EQ(agent->errors().find("not readable"), std::string::npos) << agent->errors();
}

}  // namespace
}  // namespace quorvel::testing
