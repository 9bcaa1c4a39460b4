// `quorvel watch` run from the end-to-end sandbox: the touches it tracks, the gestures as
// the agent would deliver them, the end on a signal, and the start without a readable touchpad.
#include <gtest/gtest.h>

#include <signal.h>

#include <string>

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
    const auto has = [&](const std::string& line) { return out.find(line) != std::string::npos; };
    EXPECT_TRUE(has("Configuration: " + configuration + "\n")) << out;
    EXPECT_TRUE(has("Double taps wait for a triple tap in: no corner\n")) << out;
    EXPECT_TRUE(has("Monitoring 1 multitouch device\n")) << out;
    EXPECT_TRUE(has("touch began 0.000 id 1 at (0.100, 0.900) corner topLeft contacts 1/1\n")) << out;
    EXPECT_TRUE(has("touch sample 0.250 id 1 at (0.120, 0.900) corner topLeft contacts 1/1\n")) << out;
    EXPECT_TRUE(has("touch ended 0.750 id 1 duration 0.750 travel 0.050 (too long for a tap)\n")) << out;
    EXPECT_EQ(out.find("id 2 "), std::string::npos) << out;
    EXPECT_TRUE(has("touch ended 2.050 id 3 duration 0.050 travel 0.000\n")) << out;
    // Released with the end of the second tap, before the third tap began.
    const auto gesture = out.find("gesture topLeft doubleTap 2.200\n");
    ASSERT_NE(gesture, std::string::npos) << out;
    EXPECT_LT(gesture, out.find("touch began 2.300 id 5"));
    EXPECT_EQ(countOf(out, "gesture "), 1u) << out;
    EXPECT_EQ(out.find("not readable"), std::string::npos) << out;

    watch->sendSignal(SIGINT);
    EXPECT_EQ(watch->waitForExit(), 0) << watch->errors();
}

TEST(WatchStart, NoDeviceBecauseTouchpadsCannotBeReadPointsToTheDevicesCommandAndTheUdevRule)
{
    Sandbox sandbox;
    auto watch =
        sandbox.start("quorvel", {"watch"}, {"QUORVEL_TEST_BRIDGE_DEVICES=0", "QUORVEL_TEST_BRIDGE_UNREADABLE=2"});
    ASSERT_EQ(watch->waitForExit(), 1) << watch->errors();
    const std::string errors = watch->errors();
    EXPECT_NE(errors.find("No multitouch devices found\n"), std::string::npos) << errors;
    EXPECT_NE(errors.find("2 touchpad(s) found but not readable for lack of permission"), std::string::npos) << errors;
    EXPECT_NE(errors.find("`quorvel devices`"), std::string::npos) << errors;
    EXPECT_NE(errors.find("udev rule"), std::string::npos) << errors;
    EXPECT_EQ(watch->output().find("Monitoring"), std::string::npos);
}

}  // namespace
}  // namespace quorvel::testing
