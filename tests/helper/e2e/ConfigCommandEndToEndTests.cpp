// `quorvel config` run as a person runs it, alone and beside the real agent, and what the agent
// says about the file.
#include <gtest/gtest.h>

#include <thread>

#include "helper/configuration/ConfigurationJson.h"
#include "tests/helper/e2e/Sandbox.h"

namespace quorvel::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// A running agent takes what `quorvel config set` writes from nothing; it logs an unusable file
// once per content, with the file and the reason, and says when a file is in force again or gone.
TEST(ConfigEndToEnd, SetFromNothingReachesTheRunningAgentWhichTellsOfEachUnusableFileOnce)
{
    Sandbox sandbox;
    sandbox.addShortcut("hello");
    auto agent = sandbox.start("quorvel-helper");
    ASSERT_TRUE(eventually([&] { return sandbox.touchpadStarted(); })) << agent->errors();
    const auto count = [&agent](const std::string& text) { return countOf(agent->errors(), text); };
    const auto once = [&](const std::string& text) { return eventually([&] { return count(text) == 1; }); };
    const std::string file = sandbox.configurationFile().string();
    EXPECT_NE(sandbox.quorvel({"config", "check"}, 0).find("No configuration file at " + file), std::string::npos);

    EXPECT_EQ(sandbox.quorvel({"config", "set", "topLeft", "doubleTap", "runShortcut", "hello"}, 0),
              "topLeft doubleTap: runShortcut \"hello\"\n");
    const std::string shown = sandbox.quorvel({"config", "show"}, 0);
    EXPECT_NE(shown.find("topLeft      doubleTap  runShortcut \"hello\"\n"), std::string::npos) << shown;
    EXPECT_TRUE(decodeConfiguration(sandbox.quorvel({"config", "show", "--json"}, 0)).ok());
    sandbox.quorvel({"config", "check"}, 0);
    sandbox.quorvel({"config", "init"}, 1);  // there is a file already
    std::this_thread::sleep_for(600ms);      // the agent's next poll
    sandbox.playScript();
    EXPECT_TRUE(eventually([&] { return sandbox.runsOf("hello") == 1; })) << agent->errors();
    EXPECT_EQ(count("Configuration"), 0u);  // nothing to say about a usable file

    const std::string unusable =
        "error [Helper] Configuration file unusable, running with the default configuration: " + file;
    sandbox.writeConfiguration("{\"isEnabled\": tru");
    ASSERT_TRUE(once(unusable + ": not valid JSON: line 1, column 18")) << agent->errors();
    std::this_thread::sleep_for(1200ms);  // polls that find the same bytes
    EXPECT_EQ(count(unusable), 1u);
    sandbox.writeConfiguration("[]");
    ASSERT_TRUE(once(unusable + ": expected an object for the configuration, found array")) << agent->errors();
    sandbox.writeConfiguration(configurationRunningShortcut("x"));
    EXPECT_TRUE(once("info [Helper] Configuration file in force again: " + file + "\n"));
    fs::remove(file);
    EXPECT_TRUE(once("info [Helper] Configuration file gone, running with the default configuration: " + file + "\n"));
    EXPECT_EQ(count(unusable), 2u) << agent->errors();
}

// Edit replaces the file only with a copy that passes; a file that does not pass is refused until
// --force starts again from the default, keeping a copy.
TEST(ConfigEndToEnd, EditKeepsOnlyACopyThatPassesAndAnUnusableFileIsRefusedUntilForce)
{
    Sandbox sandbox;
    const fs::path file = sandbox.configurationFile();
    sandbox.quorvel({"config", "init"}, 0);
    sandbox.quorvel({"config", "edit"}, 0, {"EDITOR=sed -i s/0.45/0.5/"});
    const std::string edited = readText(file);
    EXPECT_EQ(decodeConfiguration(edited).value().recognizer.doubleTapWindow, 0.5);
    // $VISUAL comes first; with no answer to "edit again?" the failing copy is discarded.
    const std::string said = sandbox.quorvel({"config", "edit"}, 1, {"VISUAL=sed -i s/true/tru/", "EDITOR=false"});
    EXPECT_NE(said.find("not valid JSON: line 2"), std::string::npos) << said;
    EXPECT_EQ(readText(file), edited);
    for (const auto& entry : fs::directory_iterator(sandbox.supportFolder()))
        EXPECT_EQ(entry.path().filename().string().find("configuration-edit"), std::string::npos);

    const std::string broken = documentWithKind(R"({"runShortcat": {"name": "x"}})");
    sandbox.writeConfiguration(broken);
    EXPECT_NE(sandbox.quorvel({"config", "check"}, 1).find("\"runShortcat\" is not an action kind; the kinds are "
                                                           "openApp"), std::string::npos);
    sandbox.quorvel({"config", "tune", "cornerZone", "0.2"}, 1);
    EXPECT_EQ(readText(file), broken);
    sandbox.quorvel({"config", "tune", "cornerZone", "0.2", "--force"}, 0);
    EXPECT_EQ(readText(file.string() + ".unusable"), broken);
    EXPECT_EQ(decodeConfiguration(readText(file)).value().recognizer.cornerZone, 0.2);
}

}  // namespace
}  // namespace quorvel::testing
