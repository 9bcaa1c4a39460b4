// The real agent on a private session bus with the scripted touchpad, asked by the real
// `quorvel status` and `quorvel doctor`: gestures as PropertiesChanged signals, the state for a
// person and for scripts, the doctor's verdict on good and bad files, Reload, and no agent.
#include <gtest/gtest.h>

#include <signal.h>

#include <regex>
#include <sstream>

#include <nlohmann/json.hpp>

#include "tests/helper/e2e/Sandbox.h"
#include "tests/linux/runtime/PrivateDBus.h"

namespace quorvel::testing {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;

struct StatusEndToEnd : ::testing::Test {
    void SetUp() override
    {
        if (!g_file_test("/usr/bin/dbus-daemon", G_FILE_TEST_IS_EXECUTABLE)) GTEST_SKIP() << "no dbus-daemon";
        ASSERT_TRUE(bus.connection) << "the private bus did not start";
    }
    std::string quorvel(const std::vector<std::string>& arguments, int status)
    {
        return sandbox.quorvel(arguments, status, onBus);
    }

    PrivateBus bus;
    Sandbox sandbox;
    const std::vector<std::string> onBus{"DBUS_SESSION_BUS_ADDRESS=" + bus.address};
};

TEST_F(StatusEndToEnd, EachGestureIsASignalFollowedAsALineStatusShowsItAndTheDoctorChecksWhatActionsNeed)
{
    auto agent = sandbox.startAgentRunning("tap", "", onBus);
    ASSERT_TRUE(eventually([&] { return sandbox.start("quorvel", {"status"}, onBus)->waitForExit() == 0; }))
        << agent->errors();
    auto follow = sandbox.start("quorvel", {"status", "--follow"}, onBus);
    auto followJson = sandbox.start("quorvel", {"status", "--follow", "--json"}, onBus);
    ASSERT_TRUE(eventually([&] { return countOf(follow->errors() + followJson->errors(), "Following") == 2; }));

    const auto before = std::chrono::system_clock::now().time_since_epoch();
    for (std::size_t gestures = 1; gestures <= 2; ++gestures) {
        sandbox.playScript();
        ASSERT_TRUE(eventually([&] { return countOf(follow->output() + followJson->output(), "\n") == 2 * gestures; }))
            << follow->output() << follow->errors();
    }
    const std::string gestureLine = R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} topLeft doubleTap\n)";
    EXPECT_TRUE(std::regex_match(follow->output(), std::regex("(" + gestureLine + "){2}"))) << follow->output();
    std::istringstream lines(followJson->output());
    std::string firstLine, secondLine;
    std::getline(std::getline(lines, firstLine), secondLine);
    const Json first = Json::parse(firstLine), second = Json::parse(secondLine);

    const std::string text = quorvel({"status"}, 0);
    for (const std::string& row :
         {"Agent:          running (pid " + std::to_string(agent->pid()) + "), reading the touchpads\n",
          std::string("Touchpads:      Scripted Touchpad (/dev/input/event-scripted)\n"),
          std::string("Last gesture:   Top Left Double Tap at "),
          "Configuration:  " + sandbox.configurationFile().string() + ", in force\n",
          std::string("Actions:        run on corner taps\n")}) {
        EXPECT_NE(text.find(row), std::string::npos) << row << "\n" << text;
    }
    const Json state = Json::parse(quorvel({"status", "--json"}, 0));
    EXPECT_EQ(state["lastGesture"], Json({{"corner", "topLeft"}, {"pattern", "doubleTap"}, {"time", second["time"]}}));
    EXPECT_EQ(state["gestureEventID"], second["gestureEventID"]);
    EXPECT_NE(state["gestureEventID"], first["gestureEventID"]);  // a fresh random (version 4) UUID each time
    const std::regex version4("[0-9a-f]{8}-[0-9a-f]{4}-4[0-9a-f]{3}-[89ab][0-9a-f]{3}-[0-9a-f]{12}", std::regex::icase);
    EXPECT_TRUE(std::regex_match(state["gestureEventID"].get<std::string>(), version4)) << state["gestureEventID"];
    EXPECT_GE(std::chrono::microseconds(second["time"].get<std::int64_t>()), before);
    EXPECT_EQ(state["touchpads"],
              Json::parse(R"([{"name": "Scripted Touchpad", "node": "/dev/input/event-scripted"}])"));

    // The doctor passes what the assigned actions need and fails, naming it, what they lack.
    const std::string good = quorvel({"doctor"}, 0);
    for (const std::string& expected :
         {std::string("passed        Touchpads: the agent reads Scripted Touchpad (/dev/input/event-scripted)\n"),
          "passed        Agent: runs (pid " + std::to_string(agent->pid()) +
              ") and answers on the session bus as org.quorvel.Helper\n",
          std::string("passed        topLeft doubleTap, runShortcut \"tap\": the shortcut is executable and safe"),
          std::string("\nEverything the assigned actions need is in place.\n")}) {
        EXPECT_NE(good.find(expected), std::string::npos) << expected << "\n" << good;
    }
    const std::string file = sandbox.configurationFile().string();
    const std::pair<std::string, std::string> failures[] = {
        {"{", "FAILED        Configuration: " + file + ": "},
        {configurationRunningShortcut("missing"), "FAILED        topLeft doubleTap, runShortcut \"missing\": there is "
                                                  "no shortcut"},
        {replaced(configurationRunningShortcut("tap"), "true", "false"),
         "Configuration: " + file + ": corner taps are switched off\n              fix: quorvel config enable\n"},
        {documentWithKind(R"({"openURL": {"urlString": " "}})"),
         "FAILED        topLeft doubleTap, openURL \" \": this is no URL"},
    };
    for (const auto& [configuration, says] : failures) {
        sandbox.writeConfiguration(configuration);
        EXPECT_NE(quorvel({"doctor"}, 1).find(says), std::string::npos) << says;
    }
    sandbox.writeConfiguration(configurationRunningShortcut("tap"));

    // The pause marker is seen at the next poll, by status and the doctor; Reload reads the file
    // again at once.
    writeFile(sandbox.supportFolder() / "suppress-actions", "");
    EXPECT_TRUE(eventually([&] { return Json::parse(quorvel({"status", "--json"}, 0))["actionsSuppressed"]; }));
    EXPECT_NE(quorvel({"doctor"}, 1).find("FAILED        Pause marker: "), std::string::npos);
    bus.call("org.quorvel.Helper", "/org/quorvel/Helper", "org.quorvel.Helper1", "Reload", nullptr);
    EXPECT_TRUE(eventually([&] { return countOf(agent->errors(), "Reloading the configuration on request") == 1; }));

    follow->sendSignal(SIGINT);
    EXPECT_EQ(follow->waitForExit(), 0);
    agent->sendSignal(SIGTERM);
    EXPECT_EQ(followJson->waitForExit(), 1);
    EXPECT_NE(followJson->errors().find("The Quorvel agent has stopped.\n"), std::string::npos);
    // Only changed properties are announced: the pause was no gesture.
    EXPECT_EQ(countOf(followJson->output(), "\n"), 2u) << followJson->output();
}

TEST_F(StatusEndToEnd, WithoutAnAgentStatusExitsThreeAndSaysWhetherTheUserUnitIsInstalledAndEnabled)
{
    EXPECT_EQ(sandbox.quorvel({"status"}, 3).find("No Quorvel agent is running.\n"), 0u);  // and no bus

    const fs::path unit = sandbox.path("config/systemd/user/quorvel-helper.service");
    writeFile(unit, "[Service]\nExecStart=/usr/bin/quorvel-helper\n");
    EXPECT_NE(quorvel({"status"}, 3).find("is installed but not enabled; start the agent now and with every session "
                                          "with: systemctl --user enable --now quorvel-helper.service"),
              std::string::npos);
    fs::create_directories(unit.parent_path() / "graphical-session.target.wants");
    fs::create_symlink(unit, unit.parent_path() / "graphical-session.target.wants/quorvel-helper.service");
    EXPECT_EQ(Json::parse(quorvel({"status", "--json"}, 3)),
              Json::parse(R"({"agentRunning": false, "unit": {"name": "quorvel-helper.service", "installed": true,
                              "enabled": true, "masked": false, "file": ")" + unit.string() + R"("}})"));
    fs::remove(unit);
    fs::create_symlink("/dev/null", unit);
    EXPECT_NE(quorvel({"status"}, 3).find("is masked; unmask it with: systemctl --user unmask"), std::string::npos);
}

TEST_F(StatusEndToEnd, AnAgentWhoseNameIsTakenSaysSoOnceAndGoesOnWhileStatusSaysItCannotBeRead)
{
    bus.call("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "RequestName",
             g_variant_new("(su)", "org.quorvel.Helper", 4u));
    auto agent = sandbox.startAgentRunning("tap", "", onBus);
    const std::string taken = "The name org.quorvel.Helper is owned by another program";
    ASSERT_TRUE(eventually([&] { return countOf(agent->errors(), taken) == 1; })) << agent->errors();
    EXPECT_NE(quorvel({"status"}, 1).find("a Quorvel agent runs (pid " + std::to_string(agent->pid()) + ")"),
              std::string::npos);
    sandbox.playScript();
    EXPECT_TRUE(eventually([&] { return sandbox.runsOf("tap") == 1; }));
}

}  // namespace
}  // namespace quorvel::testing
