// `quorvel watch` run as installed, beside a scripted bridge: the touches it tracks, the
// gestures as the agent would deliver them under the configuration's triple-tap deferral,
// the end on a signal, and the start-up failures.
#include <gtest/gtest.h>

#include <signal.h>

#include <string>

#include "tests/tools/InstalledCopy.h"

namespace quorvel::testing {
namespace {

constexpr const char* noTripleTapAction = R"({"isEnabled": true,
  "recognizer": {"cornerZone": 0.3, "doubleTapWindow": 0.45, "tripleTapWindow": 0.2,
                 "maximumTapDuration": 0.28, "maximumTapTravel": 0.08},
  "assignments": [{"corner": "topLeft", "doubleTap": {"id": "00000000-0000-4000-8000-000000000001",
                   "kind": {"runShortcut": {"name": "never-run"}}, "isEnabled": true}}]})";

constexpr const char* tripleTapActionInTopLeft = R"({"isEnabled": true,
  "recognizer": {"cornerZone": 0.3, "doubleTapWindow": 0.45, "tripleTapWindow": 0.2,
                 "maximumTapDuration": 0.28, "maximumTapTravel": 0.08},
  "assignments": [{"corner": "topLeft", "tripleTap": {"id": "00000000-0000-4000-8000-000000000002",
                   "kind": {"runShortcut": {"name": "never-run"}}, "isEnabled": true}}]})";

std::size_t countOf(const std::string& text, const std::string& part)
{
    std::size_t count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

// The script tracks four touches (the one in the middle is never tracked); once the last
// has ended, every gesture the script can make has been printed.
bool scriptPlayed(const CopiedProcess& watch) { return countOf(watch.output(), "touch ended") == 4; }

TEST(WatchLive, PrintsTrackedTouchesAndDeliversDoubleTapsAtOnceWithoutATripleTapAction)
{
    InstalledCopy copy;
    const auto configuration = copy.root() / "watch.json";
    copy.writeFile(configuration, noTripleTapAction);
    auto watch = copy.start("quorvel", {"watch", "--config", configuration.string()});
    ASSERT_TRUE(eventually([&] { return scriptPlayed(*watch); })) << watch->output() << watch->errors();

    const std::string out = watch->output();
    EXPECT_NE(out.find("Configuration: " + configuration.string() + "\n"), std::string::npos) << out;
    EXPECT_NE(out.find("Double taps wait for a triple tap in: no corner\n"), std::string::npos) << out;
    EXPECT_NE(out.find("Monitoring 1 multitouch device\n"), std::string::npos) << out;
    EXPECT_NE(out.find("touch began 0.000 id 1 at (0.100, 0.900) corner topLeft contacts 1/1\n"), std::string::npos)
        << out;
    EXPECT_NE(out.find("touch sample 0.250 id 1 at (0.120, 0.900) corner topLeft contacts 1/1\n"), std::string::npos)
        << out;
    EXPECT_NE(out.find("touch ended 0.750 id 1 duration 0.750 travel 0.050 (too long for a tap)\n"), std::string::npos)
        << out;
    EXPECT_EQ(out.find("id 2 "), std::string::npos) << "the touch in the middle is not tracked\n" << out;
    EXPECT_NE(out.find("touch ended 2.050 id 3 duration 0.050 travel 0.000\n"), std::string::npos) << out;
    // Released with the frame that ended the second tap, before the third tap began; the
    // third tap then starts a new sequence.
    const auto gesture = out.find("gesture topLeft doubleTap 2.200\n");
    ASSERT_NE(gesture, std::string::npos) << out;
    EXPECT_LT(gesture, out.find("touch began 2.300 id 5"));
    EXPECT_EQ(countOf(out, "gesture "), 1u) << out;
    EXPECT_EQ(out.find("not readable"), std::string::npos) << out;

    watch->sendSignal(SIGINT);
    EXPECT_EQ(watch->waitForExit(), 0) << watch->errors();
}

TEST(WatchLive, UsesTheAgentsConfigurationFileAndHoldsDoubleTapsWhereATripleTapIsAssigned)
{
    InstalledCopy copy;
    copy.writeFile(copy.agentConfigurationFile(), tripleTapActionInTopLeft);
    // A second touchpad that cannot be read does not stop the watch; it is mentioned.
    auto watch = copy.start("quorvel", {"watch"}, {"QUORVEL_TEST_BRIDGE_UNREADABLE=1"});
    ASSERT_TRUE(eventually([&] { return scriptPlayed(*watch); })) << watch->output() << watch->errors();
    ASSERT_TRUE(eventually([&] { return countOf(watch->output(), "gesture ") > 0; })) << watch->output();

    const std::string out = watch->output();
    EXPECT_NE(out.find("Configuration: " + copy.agentConfigurationFile().string() + "\n"), std::string::npos) << out;
    EXPECT_NE(out.find("Double taps wait for a triple tap in: topLeft\n"), std::string::npos) << out;
    EXPECT_NE(out.find("Note: 1 touchpad(s) found but not readable"), std::string::npos) << out;
    EXPECT_NE(out.find("gesture topLeft tripleTap 2.350\n"), std::string::npos) << out;
    EXPECT_EQ(out.find("gesture topLeft doubleTap"), std::string::npos) << out;

    watch->sendSignal(SIGTERM);
    EXPECT_EQ(watch->waitForExit(), 0) << watch->errors();
}

TEST(WatchStart, NoDeviceBecauseTouchpadsCannotBeReadPointsToTheDevicesCommandAndTheUdevRule)
{
    InstalledCopy copy;
    auto watch = copy.start("quorvel", {"watch"}, {"QUORVEL_TEST_BRIDGE_DEVICES=0", "QUORVEL_TEST_BRIDGE_UNREADABLE=2"});
    ASSERT_EQ(watch->waitForExit(), 1) << watch->errors();
    const std::string errors = watch->errors();
    EXPECT_NE(errors.find("No multitouch devices found\n"), std::string::npos) << errors;
    EXPECT_NE(errors.find("2 touchpad(s) found but not readable for lack of permission"), std::string::npos) << errors;
    EXPECT_NE(errors.find("`quorvel devices`"), std::string::npos) << errors;
    EXPECT_NE(errors.find("udev rule"), std::string::npos) << errors;
    EXPECT_EQ(watch->output().find("Monitoring"), std::string::npos);
}

TEST(WatchStart, OtherFailuresEndWithTheMonitorsStatusAndNoPermissionHint)
{
    InstalledCopy copy;
    auto noDevice = copy.start("quorvel", {"watch"}, {"QUORVEL_TEST_BRIDGE_DEVICES=0"});
    ASSERT_EQ(noDevice->waitForExit(), 1);
    EXPECT_NE(noDevice->errors().find("No multitouch devices found\n"), std::string::npos) << noDevice->errors();
    EXPECT_EQ(noDevice->errors().find("not readable"), std::string::npos) << noDevice->errors();

    auto unusableConfiguration = copy.start("quorvel", {"watch", "--config", (copy.root() / "absent.json").string()});
    ASSERT_EQ(unusableConfiguration->waitForExit(), 1);
    EXPECT_NE(unusableConfiguration->errors().find("absent.json: cannot read the file"), std::string::npos)
        << unusableConfiguration->errors();

    copy.removeBridge();
    auto noBridge = copy.start("quorvel", {"watch"});
    ASSERT_EQ(noBridge->waitForExit(), 1);
    EXPECT_NE(noBridge->errors().find("Could not load multitouch framework\n"), std::string::npos) << noBridge->errors();
}

}  // namespace
}  // namespace quorvel::testing
