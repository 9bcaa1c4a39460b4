// `quorvel config`, run as the person runs it, in a configuration folder of its own.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include "helper/configuration/ConfigurationJson.h"
#include "tests/configuration/TestSupport.h"

namespace quorvel {
namespace {

struct ToolRun { int exitCode; std::string out, err; };

struct ConfigTool : ::testing::Test {
    testing::TemporaryDirectory directory;
    std::filesystem::path file() const { return directory.path / "Quorvel/configuration.json"; }

    // `arguments` are shell words; `before` runs first in the same shell (variables, a pipe).
    ToolRun config(const std::string& arguments, const std::string& before = {}) const
    {
        const std::string home = "'" + directory.path.string() + "'";
        const std::string command = before + " env XDG_CONFIG_HOME=" + home + " XDG_DATA_HOME=" + home +
                                    "/data XDG_DATA_DIRS=" + home + "/data '" QUORVEL_TOOL "' config " + arguments +
                                    " >" + home + "/out 2>" + home + "/err";
        const int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, testing::readText(directory.path / "out"),
                testing::readText(directory.path / "err")};
    }
};

TEST_F(ConfigTool, EverySubCommandAnswersHelpAndAWrongCommandLineExitsTwo)
{
    for (const char* sub : {"", "show", "check", "path", "init", "set", "unset", "enable", "disable", "tune", "edit"}) {
        const ToolRun help = config(std::string(sub) + " --help");
        EXPECT_EQ(help.exitCode, 0) << sub;
        EXPECT_NE(help.out.find("Usage: quorvel config " + std::string(*sub ? sub : "<sub-command>")), std::string::npos);
    }
    for (const char* wrong : {"", "frobnicate", "set topLeft", "show --yaml", "path extra", "tune cornerZone x"}) {
        const ToolRun usage = config(wrong);
        EXPECT_EQ(usage.exitCode, 2) << wrong;
        EXPECT_NE(usage.err.find("Usage: quorvel config"), std::string::npos) << usage.err;
    }
}

TEST_F(ConfigTool, SetFromNothingWritesAPrivateFileThatShowAndCheckRead)
{
    const ToolRun nothing = config("check");
    EXPECT_EQ(nothing.exitCode, 0);
    EXPECT_NE(nothing.out.find("No configuration file at " + file().string()), std::string::npos);

    const ToolRun set = config("set topLeft doubleTap runShortcut hello");
    EXPECT_EQ(set.exitCode, 0) << set.err;
    EXPECT_EQ(set.out, "topLeft doubleTap: runShortcut \"hello\"\n");
    EXPECT_NE(set.err.find("warning: runShortcut \"hello\": there is no executable of that name"), std::string::npos);
    EXPECT_EQ(testing::modeOf(file()), 0600u);
    EXPECT_EQ(testing::modeOf(file().parent_path()), 0700u);

    EXPECT_NE(config("show").out.find("topLeft      doubleTap  runShortcut \"hello\"\n"), std::string::npos);
    EXPECT_TRUE(decodeConfiguration(config("show --json").out).ok());
    const ToolRun checked = config("check");
    EXPECT_EQ(checked.exitCode, 0);
    EXPECT_NE(checked.err.find("warning: assignments[0].doubleTap: there is no shortcut \"hello\""), std::string::npos);
    EXPECT_EQ(config("init").exitCode, 1);
}

TEST_F(ConfigTool, AnUnusableFileIsRefusedUntilForceStartsAgainKeepingACopy)
{
    const std::string broken = testing::documentWithKind(R"({"runShortcat": {"name": "x"}})");
    testing::writeFile(file(), broken);
    ::chmod(file().c_str(), 0640);
    const ToolRun checked = config("check");
    EXPECT_EQ(checked.exitCode, 1);
    EXPECT_NE(checked.err.find("\"runShortcat\" is not an action kind; the kinds are openApp"), std::string::npos);

    EXPECT_EQ(config("tune cornerZone 0.2").exitCode, 1);
    EXPECT_EQ(testing::readText(file()), broken);
    const ToolRun forced = config("tune cornerZone 0.2 --force");
    EXPECT_EQ(forced.exitCode, 0) << forced.err;
    EXPECT_EQ(testing::readText(file().string() + ".unusable"), broken);
    EXPECT_EQ(decodeConfiguration(testing::readText(file())).value().recognizer.cornerZone, 0.2);
    EXPECT_EQ(testing::modeOf(file()), 0640u);
}

TEST_F(ConfigTool, EditReplacesTheFileOnlyWithACopyThatPasses)
{
    ASSERT_EQ(config("init").exitCode, 0);
    EXPECT_EQ(config("edit", "EDITOR='sed -i s/0.45/0.5/'").exitCode, 0);
    const std::string edited = testing::readText(file());
    EXPECT_EQ(decodeConfiguration(edited).value().recognizer.doubleTapWindow, 0.5);

    const ToolRun discarded = config("edit", "printf 'd\\n' | VISUAL='sed -i s/true/tru/' EDITOR=false");
    EXPECT_EQ(discarded.exitCode, 1);
    EXPECT_NE(discarded.err.find("not valid JSON: line 2"), std::string::npos) << discarded.err;
    EXPECT_EQ(testing::readText(file()), edited);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(file().parent_path()), {}), 2);  // and the lock
}

}  // namespace
}  // namespace quorvel
