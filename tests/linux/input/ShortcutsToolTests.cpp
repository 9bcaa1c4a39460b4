// The quorvel-shortcuts executable, run for real in a temporary configuration directory.
#include <glib.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

class ShortcutsToolTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/quorvel-shortcuts-XXXXXX";
        root_ = ::mkdtemp(pattern);
        folder = root_ / "config" / "Quorvel" / "shortcuts";
        fs::create_directories(folder);
        marker = root_ / "ran";
    }
    void TearDown() override { fs::remove_all(root_); }

    // A shortcut that records that it ran (and with what) in `marker`.
    void addShortcut(const fs::path& file, bool executable = true)
    {
        std::ofstream(file) << "#!/bin/sh\necho \"ran $(basename \"$0\") with $# arguments\" >> '"
                            << marker.string() << "'\n";
        fs::permissions(file, executable ? fs::perms::owner_all : fs::perms::owner_read | fs::perms::owner_write);
    }

    ToolRun run(const std::vector<std::string>& arguments)
    {
        gchar** envp = g_environ_setenv(g_get_environ(), "XDG_CONFIG_HOME", (root_ / "config").c_str(), TRUE);
        std::vector<std::string> storage{QUORVEL_SHORTCUTS_TOOL};
        storage.insert(storage.end(), arguments.begin(), arguments.end());
        std::vector<gchar*> argv;
        for (std::string& argument : storage) argv.push_back(argument.data());
        argv.push_back(nullptr);

        ToolRun result;
        gchar* out = nullptr;
        gchar* err = nullptr;
        gint waitStatus = 0;
        const gboolean started = g_spawn_sync(nullptr, argv.data(), envp, G_SPAWN_DEFAULT, nullptr, nullptr, &out,
                                              &err, &waitStatus, nullptr);
        g_strfreev(envp);
        if (started && WIFEXITED(waitStatus)) result.status = WEXITSTATUS(waitStatus);
        result.out = out ? out : "";
        result.err = err ? err : "";
        g_free(out);
        g_free(err);
        return result;
    }

    std::string markerText() const
    {
        std::ifstream in(marker);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    fs::path folder;
    fs::path marker;
    fs::path root_;
};

TEST_F(ShortcutsToolTest, RunsTheNamedShortcutWithoutArgumentsAndListsTheRunnableOnes)
{
    addShortcut(folder / "Say Hello");
    addShortcut(folder / "A first");
    addShortcut(folder / "not runnable", false);
    addShortcut(folder / ".hidden");
    const ToolRun result = run({"run", "Say Hello"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(markerText(), "ran Say Hello with 0 arguments\n");
    EXPECT_EQ(run({"list"}).out, "A first\nSay Hello\n");
}

TEST_F(ShortcutsToolTest, RefusesNamesThatLeaveTheFolderOrAreHidden)
{
    // Each of these would reach a runnable file if the name were taken as a path.
    addShortcut(folder.parent_path() / "escape");
    fs::create_directories(folder / "sub");
    addShortcut(folder / "sub" / "inner");
    addShortcut(folder / ".hidden");
    for (const char* name : {"../escape", "sub/inner", ".hidden", ""}) {
        const ToolRun result = run({"run", name});
        EXPECT_EQ(result.status, 2) << "name '" << name << "'";
        EXPECT_THAT(result.err, HasSubstr("a shortcut name must not")) << "name '" << name << "'";
    }
    EXPECT_EQ(markerText(), "");
}

TEST_F(ShortcutsToolTest, SaysSoWhenTheShortcutIsMissingOrNotExecutable)
{
    const ToolRun missing = run({"run", "Nothing"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_THAT(missing.err, HasSubstr("no shortcut named \"Nothing\""));

    addShortcut(folder / "Plain", false);
    const ToolRun plain = run({"run", "Plain"});
    EXPECT_EQ(plain.status, 1);
    EXPECT_THAT(plain.err, HasSubstr("not an executable file"));

    fs::create_directories(folder / "Folder");
    EXPECT_EQ(run({"run", "Folder"}).status, 1);
    EXPECT_EQ(markerText(), "");
}

TEST_F(ShortcutsToolTest, HelpDescribesTheCommandsAndWrongUseIsAnError)
{
    const ToolRun help = run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_THAT(help.out, HasSubstr("run NAME"));
    EXPECT_THAT(help.out, HasSubstr(folder.string()));
    EXPECT_EQ(run({}).status, 2);
    EXPECT_EQ(run({"run"}).status, 2);
    EXPECT_EQ(run({"run", "a", "b"}).status, 2);
    EXPECT_EQ(run({"frobnicate"}).status, 2);
}

}  // namespace
