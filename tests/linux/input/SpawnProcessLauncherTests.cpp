#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/linux/input/ShortcutsToolPath.h"
#include "platform/linux/input/SpawnProcessLauncher.h"
#include "tests/linux/input/GLibLoop.h"

namespace quorvel::linux_backend {
namespace {

namespace fs = std::filesystem;
using ::testing::Contains;
using ::testing::Not;

std::vector<std::string> lines(const fs::path& file)
{
    std::ifstream in(file);
    std::vector<std::string> out;
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

// A script that reports what it was started with: its arguments, its open descriptors,
// its standard input, and its process and session ids.
class ReportingScript {
public:
    ReportingScript()
    {
        char pattern[] = "/tmp/quorvel-launcher-XXXXXX";
        directory_ = ::mkdtemp(pattern);
        path = directory_ / "report child";
        report = directory_ / "report";
        std::ofstream(path) << "#!/bin/sh\n"
                               "out='" << report.string() << "'\n"
                               "printf '%s\\n' \"$@\" > \"$out.args\"\n"
                               "ls /proc/$$/fd > \"$out.fds\"\n"
                               "readlink /proc/$$/fd/0 > \"$out.stdin\"\n"
                               "echo $$ > \"$out.ids\"\n"
                               "cut -d' ' -f6 /proc/$$/stat >> \"$out.ids\"\n";
        fs::permissions(path, fs::perms::owner_all);
    }
    ~ReportingScript() { fs::remove_all(directory_); }

    fs::path path;
    fs::path report;

private:
    fs::path directory_;
};

void waitUntilReaped(const SpawnProcessLauncher& launcher)
{
    ASSERT_TRUE(testing::iterateMainContextUntil([&] { return launcher.unreapedChildren().empty(); }))
        << "the child did not exit";
}

TEST(SpawnProcessLauncher, StartsTheChildWithVerbatimArgumentsAndNothingElseOfTheAgent)
{
    ReportingScript script;
    // A descriptor the agent forgot to mark close-on-exec.
    const int leaked = ::fcntl(::open("/dev/null", O_RDONLY), F_DUPFD, 77);
    ASSERT_EQ(::fcntl(leaked, F_GETFD) & FD_CLOEXEC, 0);

    SpawnProcessLauncher launcher("/nonexistent/quorvel-shortcuts");
    const std::vector<std::string> arguments = {"two words", "$(touch /tmp/quorvel-pwned) `id` ; | & > * ~ \"'", ""};
    ASSERT_TRUE(launcher.launch(script.path.string(), arguments));
    waitUntilReaped(launcher);
    ::close(leaked);

    EXPECT_EQ(lines(script.report.string() + ".args"), arguments);
    EXPECT_FALSE(fs::exists("/tmp/quorvel-pwned"));
    EXPECT_THAT(lines(script.report.string() + ".fds"), Not(Contains(std::to_string(leaked))));
    EXPECT_EQ(lines(script.report.string() + ".stdin"), std::vector<std::string>{"/dev/null"});
    const std::vector<std::string> ids = lines(script.report.string() + ".ids");
    ASSERT_EQ(ids.size(), 2U);
    EXPECT_EQ(ids[1], ids[0]) << "the child leads a session of its own";
}

TEST(SpawnProcessLauncher, ReapsEveryChildSoNoneStaysAZombie)
{
    SpawnProcessLauncher launcher("/nonexistent/quorvel-shortcuts");
    ASSERT_TRUE(launcher.launch("/bin/true", {}));
    ASSERT_TRUE(launcher.launch("/bin/false", {}));
    const std::set<pid_t> children = launcher.unreapedChildren();
    ASSERT_EQ(children.size(), 2U);
    waitUntilReaped(launcher);
    for (pid_t child : children) {
        EXPECT_EQ(::waitpid(child, nullptr, WNOHANG), -1) << "child " << child << " was not reaped";
        EXPECT_FALSE(fs::exists("/proc/" + std::to_string(child))) << "child " << child << " is still listed";
    }
}

TEST(SpawnProcessLauncher, TheReferenceShortcutsToolIsOursAndOtherPathsAreStartedAsGiven)
{
    ReportingScript tool;
    SpawnProcessLauncher launcher(tool.path);
    ASSERT_TRUE(launcher.launch("/usr/bin/shortcuts", {"run", "My Shortcut"}));
    waitUntilReaped(launcher);
    EXPECT_EQ(lines(tool.report.string() + ".args"), (std::vector<std::string>{"run", "My Shortcut"}));

    EXPECT_FALSE(SpawnProcessLauncher(tool.path).launch("/nonexistent/program", {"x"}));
    SpawnProcessLauncher withoutTool("/nonexistent/quorvel-shortcuts");
    EXPECT_FALSE(withoutTool.launch("/usr/bin/shortcuts", {"run", "x"}));
    EXPECT_TRUE(withoutTool.unreapedChildren().empty());
}

TEST(ShortcutsToolPath, TheToolIsBesideTheAgent)
{
    EXPECT_EQ(shortcutsToolBeside("/opt/quorvel/bin/quorvel-helper"), fs::path("/opt/quorvel/bin/quorvel-shortcuts"));
    // This test program stands in for the agent.
    EXPECT_EQ(installedShortcutsTool(), fs::read_symlink("/proc/self/exe").parent_path() / "quorvel-shortcuts");
}

}  // namespace
}  // namespace quorvel::linux_backend
