// `quorvel config check`, run as the user runs it.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include "helper/configuration/ConfigurationJson.h"
#include "tests/configuration/TestSupport.h"

namespace quorvel {
namespace {

struct ToolRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

class ConfigCheckTool : public ::testing::Test {
protected:
    ToolRun run(const std::string& arguments, const std::string& environment = {}) const
    {
        const auto out = directory.path() / "stdout";
        const auto err = directory.path() / "stderr";
        const std::string command = environment + " '" QUORVEL_TOOL "' " + arguments + " >'" + out.string() +
                                    "' 2>'" + err.string() + "' </dev/null";
        const int status = std::system(command.c_str());
        return ToolRun{WIFEXITED(status) ? WEXITSTATUS(status) : -1, testing::readText(out), testing::readText(err)};
    }
    std::string file(const std::string& name, const std::string& text) const
    {
        const auto path = directory.path() / name;
        testing::writeFile(path, text);
        return "'" + path.string() + "'";
    }

    testing::TemporaryDirectory directory;
};

TEST_F(ConfigCheckTool, ValidFilePrintsTheConfigurationInForce)
{
    const ToolRun result = run("config check '" + testing::fixture("worked-example.json").string() + "'");
    EXPECT_EQ(result.exitCode, 0) << result.err;
    const Decoded<AppConfiguration> printed = decodeConfiguration(result.out);
    ASSERT_TRUE(printed.ok()) << result.out;
    ASSERT_EQ(printed.value().assignments.size(), 4u);
    EXPECT_FALSE(printed.value().assignments[3].doubleTap.has_value());  // switched off, so migrated away
    EXPECT_NE(result.out.find("\n  \"recognizer\""), std::string::npos);  // pretty-printed
}

TEST_F(ConfigCheckTool, InvalidFileNamesTheFileThePathAndTheReason)
{
    const std::string path = file("bad.json", testing::documentWithKind(R"({"mute": {}, "media": {}})"));
    const ToolRun result = run("config check " + path);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.out.empty());
    EXPECT_NE(result.err.find("bad.json"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("assignments[0].doubleTap.kind: Invalid number of keys found, expected one."),
              std::string::npos) << result.err;

    const ToolRun notJson = run("config check " + file("broken.json", "{\"isEnabled\": tru"));
    EXPECT_EQ(notJson.exitCode, 1);
    EXPECT_NE(notJson.err.find("not a JSON document"), std::string::npos) << notJson.err;
}

TEST_F(ConfigCheckTool, MissingFileSaysSo)
{
    const ToolRun result = run("config check '" + (directory.path() / "absent.json").string() + "'");
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("cannot read"), std::string::npos) << result.err;
}

TEST_F(ConfigCheckTool, WithoutFileChecksTheAgentsOwnConfiguration)
{
    std::filesystem::create_directories(directory.path() / "Quorvel");
    testing::writeFile(directory.path() / "Quorvel/configuration.json",
                       testing::replaced(testing::documentWithAssignments("[]"), "0.45", "0.5"));
    const std::string environment = "XDG_CONFIG_HOME='" + directory.path().string() + "'";
    const ToolRun result = run("config check", environment);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(decodeConfiguration(result.out).value().recognizer.doubleTapWindow, 0.5);
    EXPECT_EQ(run("config path", environment).out, (directory.path() / "Quorvel/configuration.json").string() + "\n");
}

TEST_F(ConfigCheckTool, HelpDescribesTheSubCommands)
{
    const ToolRun top = run("--help");
    EXPECT_EQ(top.exitCode, 0);
    EXPECT_NE(top.out.find("config"), std::string::npos);
    const ToolRun help = run("config --help");
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("check [FILE]"), std::string::npos);
    EXPECT_EQ(run("config frobnicate").exitCode, 2);
}

}  // namespace
}  // namespace quorvel
