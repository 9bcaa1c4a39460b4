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

TEST(ShortcutsTool, RunsOnlyAPlainNameOfAnExecutableInTheShortcutsFolder)
{
    char pattern[] = "/tmp/quorvel-shortcuts-XXXXXX";
    const fs::path root = ::mkdtemp(pattern);
    const fs::path folder = root / "Quorvel" / "shortcuts";
    fs::create_directories(folder / "sub");
    // Runnable shortcuts that record their name and argument count; all but the first would be
    // reached only if a name were taken as a path.
    for (const fs::path& file :
         {folder / "Say Hello", root / "Quorvel" / "escape", folder / "sub" / "inner", folder / ".hidden"}) {
        std::ofstream(file) << "#!/bin/sh\necho \"$(basename \"$0\") $#\" >> '" << (root / "ran").string() << "'\n";
        fs::permissions(file, fs::perms::owner_all);
    }
    // Name, exit status, and what the error output says.
    const std::tuple<const char*, int, const char*> cases[] = {
        {"Say Hello", 0, ""},
        {"../escape", 2, "a shortcut name must not"},
        {"sub/inner", 2, "a shortcut name must not"},
        {".hidden", 2, "a shortcut name must not"},
        {"", 2, "a shortcut name must not"},
        {"Nothing", 1, "no shortcut named \"Nothing\""},
    };
    for (const auto& [name, status, error] : cases) {
        const std::string command = "XDG_CONFIG_HOME='" + root.string() + "' '" QUORVEL_SHORTCUTS_TOOL "' run '" +
                                    name + "' 2> '" + (root / "error").string() + "'";
        const int result = std::system(command.c_str());
        EXPECT_EQ(WIFEXITED(result) ? WEXITSTATUS(result) : -1, status) << "name '" << name << "'";
        EXPECT_THAT(contents(root / "error"), ::testing::HasSubstr(error)) << "name '" << name << "'";
    }
    EXPECT_EQ(contents(root / "ran"), "Say Hello 0\n");
    fs::remove_all(root);
}

}  // namespace
