// `quorvel config`, run as the user runs it.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include "helper/configuration/ConfigurationJson.h"
#include "tests/configuration/TestSupport.h"

namespace quorvel {
namespace {

struct ToolRun { int exitCode; std::string out, err; };

std::string quoted(const std::filesystem::path& path) { return "'" + path.string() + "'"; }

// `arguments` and `environment` are shell words.
ToolRun run(const testing::TemporaryDirectory& directory, const std::string& arguments, const std::string& environment = {})
{
    const auto out = directory.path / "stdout", err = directory.path / "stderr";
    const int status = std::system((environment + " '" QUORVEL_TOOL "' " + arguments + " >" + quoted(out) + " 2>" + quoted(err)).c_str());
    return ToolRun{WIFEXITED(status) ? WEXITSTATUS(status) : -1, testing::readText(out), testing::readText(err)};
}

TEST(ConfigTool, CheckPrintsTheConfigurationInForce)
{
    const testing::TemporaryDirectory directory;
    const ToolRun given = run(directory, "config check " + quoted(testing::fixture("worked-example.json")));
    EXPECT_EQ(given.exitCode, 0) << given.err;
    ASSERT_TRUE(decodeConfiguration(given.out).ok()) << given.out;
    EXPECT_FALSE(decodeConfiguration(given.out).value().assignments.at(3).doubleTap);  // switched off, so migrated away
    EXPECT_NE(given.out.find("\n  \"recognizer\""), std::string::npos);                // pretty-printed

    // Without a file: the agent's own one.
    testing::writeFile(directory.path / "Quorvel/configuration.json",
                       testing::replaced(testing::documentWithAssignments("[]"), "0.45", "0.5"));
    const std::string environment = "XDG_CONFIG_HOME=" + quoted(directory.path);
    const ToolRun own = run(directory, "config check", environment);
    EXPECT_EQ(own.exitCode, 0) << own.err;
    EXPECT_EQ(decodeConfiguration(own.out).value().recognizer.doubleTapWindow, 0.5);
    EXPECT_EQ(run(directory, "config path", environment).out, (directory.path / "Quorvel/configuration.json").string() + "\n");
    const std::string home = "HOME=" + quoted(directory.path / "home") + " XDG_CONFIG_HOME= ";
    EXPECT_EQ(run(directory, "config path", home).out, (directory.path / "home/.config/Quorvel/configuration.json").string() + "\n");
    EXPECT_FALSE(std::filesystem::exists(directory.path / "home"));  // nothing created
}

TEST(ConfigTool, CheckSaysWhereAndWhyAFileFailsWithStatusOneUnknownCommandsTwo)
{
    const testing::TemporaryDirectory directory;
    testing::writeFile(directory.path / "bad.json", testing::documentWithKind(R"({"mute": {}, "media": {}})"));
    testing::writeFile(directory.path / "broken.json", "{\"isEnabled\": tru");
    const std::pair<std::string, std::string> failures[] = {
        {"bad.json", "bad.json: invalid configuration at assignments[0].doubleTap.kind: "
                     "Invalid number of keys found, expected one."},
        {"broken.json", "not a JSON document"},
        {"absent.json", "absent.json: cannot read the file"},
    };
    for (const auto& [file, reason] : failures) {
        const ToolRun failed = run(directory, "config check " + quoted(directory.path / file));
        EXPECT_EQ(failed.exitCode, 1) << file;
        EXPECT_TRUE(failed.out.empty()) << file;
        EXPECT_NE(failed.err.find(reason), std::string::npos) << failed.err;
    }
    EXPECT_EQ(run(directory, "config frobnicate").exitCode, 2);
    EXPECT_NE(run(directory, "config --help").out.find("check [FILE]"), std::string::npos);
}

}  // namespace
}  // namespace quorvel
