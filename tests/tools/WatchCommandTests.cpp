// `quorvel watch` run from the end-to-end sandbox: the touches it tracks, the gestures as
// the agent would deliver them, the end on a signal, and the start without a readable touchpad.
#include <gtest/gtest.h>

#include <signal.h>

#include "tests/helper/e2e/Sandbox.h"

namespace quorvel::testing {
namespace {

TEST(WatchLive, PrintsTrackedTouchesAndDeliversDoubleTapsAtOnceWithoutATripleTapAction)
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
}

TEST(WatchStart, NoDeviceBecauseTouchpadsCannotBeReadPointsToTheDevicesCommandAndTheUdevRule)
{
    Sandbox sandbox;
    const std::string said =
        sandbox.quorvel({"watch"}, 1, {"QUORVEL_TEST_BRIDGE_DEVICES=0", "QUORVEL_TEST_BRIDGE_UNREADABLE=2"});
    for (const char* part : {"No multitouch devices found\n", "`quorvel devices`", "udev rule",
                             "2 touchpad(s) found but not readable for lack of permission"}) {
        EXPECT_NE(said.find(part), std::string::npos) << said;
    }
    EXPECT_EQ(said.find("Monitoring"), std::string::npos);
}

}  // namespace
}  // namespace quorvel::testing
