// The quorvel-shortcuts executable, run for real from the end-to-end sandbox.
#include <gtest/gtest.h>

#include "tests/helper/e2e/Sandbox.h"

namespace quorvel::testing {
namespace {

namespace fs = std::filesystem;

TEST(ShortcutsTool, RunsOnlyAPlainNameOfAnExecutableOnlyTheUserCanChangeInTheirHome)
{
    Sandbox sandbox;
    const fs::path folder = sandbox.supportFolder() / "shortcuts";
    // Shortcuts that record their argument count and working folder; all but the first would be
    // reached only if a name were taken as a path or a file others can change were run.
    for (const char* name : {"Say Hello", "../escape", "sub/inner", ".hidden", "Shared"})
        sandbox.addShortcut(name, "echo \"$# $PWD\" >> \"$OUT\"");
    for (const fs::path& made : {sandbox.supportFolder(), folder}) fs::permissions(made, fs::perms(0755));
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
    const auto run = [&](const std::vector<std::string>& arguments, int status) {
        auto tool = sandbox.start("quorvel-shortcuts", arguments);
        EXPECT_EQ(tool->waitForExit(), status) << arguments.back();
        return tool->errors();
    };
    for (const auto& [name, status, error] : cases)
        EXPECT_NE(run({"run", name}, status).find(error), std::string::npos) << name;
    const std::string ran = "ran\n0 " + sandbox.path("home").string() + "\n";
    EXPECT_EQ(sandbox.shortcutOutput("Say Hello"), ran);
    for (const char* name : {"../escape", "sub/inner", ".hidden", "Shared"}) EXPECT_EQ(sandbox.runsOf(name), 0);

    // A folder others can change makes every shortcut in it untrustworthy.
    fs::permissions(folder, fs::perms::others_write, fs::perm_options::add);
    for (const std::vector<std::string>& arguments : {std::vector<std::string>{"run", "Say Hello"}, {"list"}})
        EXPECT_NE(run(arguments, 1).find("shortcuts can be changed by other users"), std::string::npos);
    EXPECT_EQ(sandbox.shortcutOutput("Say Hello"), ran);
}

}  // namespace
}  // namespace quorvel::testing
