// The quorvel-shortcuts executable, run for real in a temporary configuration directory.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <tuple>

namespace {

namespace fs = std::filesystem;

std::string contents(const fs::path& file)
{
    std::ifstream in(file);
    return {std::istreambuf_iterator<char>(in), {}};
}

TEST(ShortcutsTool, RunsOnlyAPlainNameOfAnExecutableOnlyTheUserCanChangeInTheirHome)
{
    char pattern[] = "/tmp/quorvel-shortcuts-XXXXXX";
    const fs::path root = ::mkdtemp(pattern);
    const fs::path folder = root / "Quorvel" / "shortcuts";
    fs::create_directories(folder / "sub");
    for (const fs::path& made : {root / "Quorvel", folder}) fs::permissions(made, fs::perms(0755));
    // Runnable shortcuts that record their name, argument count and working folder; all but the
    // first would be reached only if a name were taken as a path or a file others can change were run.
    const fs::path shortcuts[] = {folder / "Say Hello", root / "Quorvel" / "escape", folder / "sub" / "inner",
                                  folder / ".hidden",   folder / "Shared"};
    for (const fs::path& file : shortcuts) {
        std::ofstream(file) << "#!/bin/sh\necho \"$(basename \"$0\") $# $PWD\" >> '" << (root / "ran").string()
                            << "'\n";
        fs::permissions(file, fs::perms::owner_all);
    }
    fs::permissions(folder / "Shared", fs::perms::group_write, fs::perm_options::add);
    // Name, exit status, and what the error output says.
    const std::tuple<const char*, int, const char*> cases[] = {
        {"Say Hello", 0, ""},
        {"../escape", 2, "a shortcut name must not"},
        {"sub/inner", 2, "a shortcut name must not"},
        {".hidden", 2, "a shortcut name must not"},
        {"", 2, "a shortcut name must not"},
        {"Nothing", 1, "no shortcut named \"Nothing\""},
        {"Shared", 1, "Shared can be changed by other users; make it writable by you alone: chmod go-w"},
    };
    const auto tool = [&](const std::string& arguments) {
        const std::string command = "HOME='" + root.string() + "' XDG_CONFIG_HOME='" + root.string() + "' '" +
                                    QUORVEL_SHORTCUTS_TOOL + "' " + arguments + " 2> '" + (root / "error").string() +
                                    "'";
        const int result = std::system(command.c_str());
        return WIFEXITED(result) ? WEXITSTATUS(result) : -1;
    };
    for (const auto& [name, status, error] : cases) {
        EXPECT_EQ(tool("run '" + std::string(name) + "'"), status) << "name '" << name << "'";
        EXPECT_THAT(contents(root / "error"), ::testing::HasSubstr(error)) << "name '" << name << "'";
    }
    const std::string ran = "Say Hello 0 " + root.string() + "\n";
    EXPECT_EQ(contents(root / "ran"), ran);

    // A folder others can change makes every shortcut in it untrustworthy.
    fs::permissions(folder, fs::perms::others_write, fs::perm_options::add);
    for (const char* arguments : {"run 'Say Hello'", "list"}) {
        EXPECT_EQ(tool(arguments), 1) << arguments;
        EXPECT_THAT(contents(root / "error"), ::testing::HasSubstr("shortcuts can be changed by other users"));
    }
    EXPECT_EQ(contents(root / "ran"), ran);
    fs::remove_all(root);
}

}  // namespace
