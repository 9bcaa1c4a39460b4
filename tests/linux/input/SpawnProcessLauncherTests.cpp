#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/linux/input/SpawnProcessLauncher.h"
#include "tests/configuration/TestSupport.h"
#include "tests/linux/runtime/MainContextLoop.h"

namespace quorvel::linux_backend {
namespace {

namespace fs = std::filesystem;

TEST(SpawnProcessLauncher, StartsChildrenVerbatimWithNothingElseOfTheAgentAndReapsThem)
{
    const testing::TemporaryDirectory directory;
    const fs::path& folder = directory.path;  // the children report here
    const auto report = [&](const char* name) { return testing::readText(folder / name); };
    SpawnProcessLauncher launcher(folder / "tool");
    std::ofstream(folder / "tool") << "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$(dirname \"$0\")/tool-args\"\n";
    fs::permissions(folder / "tool", fs::perms::owner_all);
    const int leaked = ::fcntl(::open("/dev/null", O_RDONLY), F_DUPFD, 77);  // not close-on-exec
    const std::string hostile = "$(touch /tmp/quorvel-pwned) `id` ; | & > * ~ \"'";
    // The shell reports into the folder given as $0: its arguments, open descriptors and standard input.
    const char* reporter = "cd \"$0\"; printf '%s\\n' \"$@\" > args; ls /proc/$$/fd > fds; readlink /proc/$$/fd/0 > in";
    // (How children end, by status or signal, the agent's end-to-end tests show.)
    ASSERT_EQ(launcher.launch("/bin/sh", {"-c", reporter, folder.string(), "two words", hostile, ""}), std::nullopt);
    ASSERT_EQ(launcher.launch("/usr/bin/shortcuts", {"run", "My Shortcut"}), std::nullopt);  // our tool instead
    EXPECT_EQ(launcher.launch("/nonexistent/program", {"x"}), "/nonexistent/program: No such file or directory");
    // The system would run "/bin/sh -c exit" here.
    EXPECT_EQ(launcher.launch("/bin/sh", {"-c", std::string("exit\0 7", 7)}), "an argument contains a NUL character");
    const std::set<pid_t> children = launcher.unreapedChildren();
    ASSERT_EQ(children.size(), 2U);
    ASSERT_TRUE(testing::iterateUntil([&] { return launcher.unreapedChildren().empty(); }));
    ::close(leaked);

    for (pid_t child : children) EXPECT_EQ(::waitpid(child, nullptr, WNOHANG), -1) << child << " is a zombie";
    EXPECT_EQ(report("args"), "two words\n" + hostile + "\n\n");
    EXPECT_FALSE(fs::exists("/tmp/quorvel-pwned"));
    EXPECT_THAT(report("fds"), ::testing::Not(::testing::HasSubstr("\n" + std::to_string(leaked) + "\n")));
    EXPECT_EQ(report("in"), "/dev/null\n");
    EXPECT_EQ(report("tool-args"), "run\nMy Shortcut\n");
}

}  // namespace
}  // namespace quorvel::linux_backend
