#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/linux/input/SpawnProcessLauncher.h"
#include "tests/linux/runtime/MainContextLoop.h"

namespace quorvel::linux_backend {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

// Children started by the launcher report into a fresh folder, removed with the object.
fs::path newFolder()
{
    char pattern[] = "/tmp/quorvel-launcher-XXXXXX";
    return ::mkdtemp(pattern);
}

struct LaunchTest : ::testing::Test {
    ~LaunchTest() override { fs::remove_all(folder); }
    Lines report(const char* name) const
    {
        std::ifstream in(folder / name);
        Lines out;
        for (std::string line; std::getline(in, line);) out.push_back(line);
        return out;
    }
    bool allReaped() { return testing::iterateUntil([&] { return launcher.unreapedChildren().empty(); }); }
    fs::path folder = newFolder();
    SpawnProcessLauncher launcher{folder / "tool"};
};

TEST_F(LaunchTest, StartsChildrenVerbatimWithNothingElseOfTheAgentAndReapsThem)
{
    std::ofstream(folder / "tool") << "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" << (folder / "tool-args").string() << "'\n";
    fs::permissions(folder / "tool", fs::perms::owner_all);
    const int leaked = ::fcntl(::open("/dev/null", O_RDONLY), F_DUPFD, 77);  // not close-on-exec
    // The shell reports into the folder given as $0: its arguments, open descriptors and standard input.
    Lines arguments = {"-c", "cd \"$0\"; printf '%s\\n' \"$@\" > args; ls /proc/$$/fd > fds; readlink /proc/$$/fd/0 > stdin",
                       folder.string(), "two words", "$(touch /tmp/quorvel-pwned) `id` ; | & > * ~ \"'", ""};
    ASSERT_TRUE(launcher.launch("/bin/sh", arguments));
    ASSERT_TRUE(launcher.launch("/usr/bin/shortcuts", {"run", "My Shortcut"}));  // our tool instead
    ASSERT_TRUE(launcher.launch("/bin/false", {}));
    EXPECT_FALSE(launcher.launch("/nonexistent/program", {"x"}));
    const std::set<pid_t> children = launcher.unreapedChildren();
    ASSERT_EQ(children.size(), 3U);
    ASSERT_TRUE(allReaped());
    ::close(leaked);

    for (pid_t child : children) EXPECT_EQ(::waitpid(child, nullptr, WNOHANG), -1) << child << " is a zombie";
    EXPECT_EQ(report("args"), Lines(arguments.begin() + 3, arguments.end()));
    EXPECT_FALSE(fs::exists("/tmp/quorvel-pwned"));
    EXPECT_THAT(report("fds"), ::testing::Not(::testing::Contains(std::to_string(leaked))));
    EXPECT_EQ(report("stdin"), Lines{"/dev/null"});
    EXPECT_EQ(report("tool-args"), (Lines{"run", "My Shortcut"}));
    fs::remove(folder / "tool");
    EXPECT_FALSE(launcher.launch("/usr/bin/shortcuts", {"run", "x"}));
}

}  // namespace
}  // namespace quorvel::linux_backend
