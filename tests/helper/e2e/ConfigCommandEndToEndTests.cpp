// `quorvel config` and the real agent together, and what the agent says about the file.
#include <gtest/gtest.h>

#include <thread>

#include "tests/helper/e2e/Sandbox.h"

namespace quorvel::testing {
namespace {

using namespace std::chrono_literals;

TEST(ConfigEndToEnd, SetFromNothingMakesTheRunningAgentRunTheShortcutOnACornerDoubleTap)
{
    Sandbox sandbox;
    sandbox.addShortcut("hello");
    auto agent = sandbox.start("quorvel-helper");
    ASSERT_TRUE(eventually([&] { return sandbox.touchpadStarted(); })) << agent->errors();

    auto set = sandbox.start("quorvel", {"config", "set", "topLeft", "doubleTap", "runShortcut", "hello"});
    ASSERT_EQ(set->waitForExit(), 0) << set->errors();
    EXPECT_EQ(set->errors(), "");
    std::this_thread::sleep_for(600ms);  // the agent's next poll
    sandbox.playScript();
    EXPECT_TRUE(eventually([&] { return sandbox.runsOf("hello") == 1; })) << agent->errors();
}

TEST(ConfigEndToEnd, TheAgentLogsAnUnusableFileOncePerContentWithFileAndReasonAndWhenItIsInForceAgainOrGone)
{
    Sandbox sandbox;
    auto agent = sandbox.start("quorvel-helper");
    const auto count = [&agent](const std::string& text) {
        const std::string log = agent->errors();
        int found = 0;
        for (auto at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) ++found;
        return found;
    };
    ASSERT_TRUE(eventually([&] { return count("Quorvel helper started") == 1; })) << agent->errors();
    EXPECT_EQ(count("Configuration"), 0);  // no file, nothing to say

    const std::string file = sandbox.configurationFile().string();
    const std::string unusable = "error [Helper] Configuration file unusable, running with the default configuration: " + file;
    sandbox.writeConfiguration("{\"isEnabled\": tru");
    ASSERT_TRUE(eventually([&] { return count(unusable + ": not valid JSON: line 1, column 18") == 1; })) << agent->errors();
    std::this_thread::sleep_for(1200ms);  // polls that find the same bytes
    EXPECT_EQ(count(unusable), 1);
    sandbox.writeConfiguration("[]");
    ASSERT_TRUE(eventually([&] { return count(unusable + ": expected an object for the configuration, found array") == 1; }));

    sandbox.writeConfiguration(configurationRunningShortcut("x"));
    EXPECT_TRUE(eventually([&] { return count("info [Helper] Configuration file in force again: " + file + "\n") == 1; }));
    std::filesystem::remove(file);
    EXPECT_TRUE(eventually([&] {
        return count("info [Helper] Configuration file gone, running with the default configuration: " + file + "\n") == 1;
    }));
    EXPECT_EQ(count(unusable), 2) << agent->errors();
}

}  // namespace
}  // namespace quorvel::testing
