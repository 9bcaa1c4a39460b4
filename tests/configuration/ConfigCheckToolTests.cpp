// `quorvel config`, run as the user runs it.
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

class ConfigTool : public ::testing::Test {
protected:
    // `arguments` and `environment` are shell words; paths come quoted from `quoted`.
    ToolRun run(const std::string& arguments, const std::string& environment = {}) const
    {
        const auto out = directory.path() / "stdout", err = directory.path() / "stderr";
        const std::string command = environment + " '" QUORVEL_TOOL "' " + arguments + " >" + quoted(out) + " 2>" + quoted(err);
        const int status = std::system(command.c_str());
        return ToolRun{WIFEXITED(status) ? WEXITSTATUS(status) : -1, testing::readText(out), testing::readText(err)};
    }
    static std::string quoted(const std::filesystem::path& path) { return "'" + path.string() + "'"; }

    testing::TemporaryDirectory directory;
};

TEST_F(ConfigTool, CheckPrintsTheConfigurationInForce)
{
    const ToolRun given = run("config check " + quoted(testing::fixture("worked-example.json")));
    EXPECT_EQ(given.exitCode, 0) << given.err;
    const Decoded<AppConfiguration> printed = decodeConfiguration(given.out);
    ASSERT_TRUE(printed.ok()) << given.out;
    EXPECT_FALSE(printed.value().assignments.at(3).doubleTap.has_value());  // switched off, so migrated away
    EXPECT_NE(given.out.find("\n  \"recognizer\""), std::string::npos);    // pretty-printed

    // Without a file: the agent's own one.
    std::filesystem::create_directories(directory.path() / "Quorvel");
    testing::writeFile(directory.path() / "Quorvel/configuration.json",
                       testing::replaced(testing::documentWithAssignments("[]"), "0.45", "0.5"));
    const std::string environment = "XDG_CONFIG_HOME=" + quoted(directory.path());
    const ToolRun own = run("config check", environment);
    EXPECT_EQ(own.exitCode, 0) << own.err;
    EXPECT_EQ(decodeConfiguration(own.out).value().recognizer.doubleTapWindow, 0.5);
    EXPECT_EQ(run("config path", environment).out, (directory.path() / "Quorvel/configuration.json").string() + "\n");
}

TEST_F(ConfigTool, CheckSaysWhereAndWhyAFileFails)
{
    testing::writeFile(directory.path() / "bad.json", testing::documentWithKind(R"({"mute": {}, "media": {}})"));
    const ToolRun invalid = run("config check " + quoted(directory.path() / "bad.json"));
    EXPECT_EQ(invalid.exitCode, 1);
    EXPECT_TRUE(invalid.out.empty());
    EXPECT_NE(invalid.err.find("bad.json: invalid configuration at assignments[0].doubleTap.kind: "
                               "Invalid number of keys found, expected one."), std::string::npos) << invalid.err;

    testing::writeFile(directory.path() / "broken.json", "{\"isEnabled\": tru");
    const ToolRun broken = run("config check " + quoted(directory.path() / "broken.json"));
    EXPECT_EQ(broken.exitCode, 1);
    EXPECT_NE(broken.err.find("not a JSON document"), std::string::npos) << broken.err;

    const ToolRun missing = run("config check " + quoted(directory.path() / "absent.json"));
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("absent.json: cannot read the file"), std::string::npos) << missing.err;
}

TEST_F(ConfigTool, HelpDescribesTheSubCommands)
{
    EXPECT_NE(run("--help").out.find("config"), std::string::npos);
    const ToolRun help = run("config --help");
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("check [FILE]"), std::string::npos);
    EXPECT_EQ(run("config frobnicate").exitCode, 2);
}

}  // namespace
}  // namespace quorvel
