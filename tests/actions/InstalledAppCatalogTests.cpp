#include <algorithm>

#include "tests/actions/ActionTestSupport.h"

namespace quorvel::testing {
namespace {

using Dictionary = PropertyValue::Dictionary;

class CatalogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        bundles.locations = {{"/Applications", "/System/Applications", "/System/Applications/Utilities",
                              "/home/user/Applications"},
                             "app",
                             {"com.apple.Safari"}};
    }
    std::vector<InstalledApplication> load() { return InstalledAppCatalog::loadApplications(bundles, workspace); }
    std::vector<std::string> names()
    {
        std::vector<std::string> result;
        for (const auto& application : load()) result.push_back(application.name);
        return result;
    }
    bool visitedBelow(const std::string& folder)
    {
        return std::any_of(bundles.visited.begin(), bundles.visited.end(),
                           [&](const std::string& path) { return path.starts_with(folder + "/"); });
    }

    FakeApplicationBundles bundles;
    FakeWorkspace workspace;
};

TEST_F(CatalogTest, FindsBundlesInSubfoldersButNotInsideBundlesOrHiddenItems)
{
    bundles.addApplication("/Applications/Games/Board/Chess.app", "org.chess", "Chess");
    bundles.addApplication("/Applications/Suite.app", "org.suite", "Suite");
    bundles.addApplication("/Applications/Suite.app/Contents/Helpers/Inner.app", "org.inner", "Inner");
    bundles.addApplication("/Applications/.Hidden.app", "org.hidden", "Hidden");
    bundles.addApplication("/Applications/.cache/Tool.app", "org.tool", "Tool");
    bundles.addApplication("/Applications/Shout.APP", "org.shout", "Shout");
    bundles.addPath("/Applications/readme.txt");

    EXPECT_EQ(names(), (std::vector<std::string>{"Chess", "Suite"}));
    EXPECT_FALSE(visitedBelow("/Applications/Suite.app"));
    EXPECT_FALSE(visitedBelow("/Applications/.cache"));
}

TEST_F(CatalogTest, NameComesFromTheChosenInfoDictionaryElseTheFolderName)
{
    bundles.addBundle("/Applications/Display.app",
                      {std::nullopt, Dictionary{{"CFBundleDisplayName", text("Shown")}, {"CFBundleName", text("Plain")}}, "a"});
    bundles.addBundle("/Applications/Plain.app", {std::nullopt, Dictionary{{"CFBundleName", text("Bundle Name")}}, "b"});
    bundles.addBundle("/Applications/Local.app",
                      {Dictionary{{"CFBundleDisplayName", integer(3)}}, Dictionary{{"CFBundleName", text("Unused")}}, "c"});
    bundles.addBundle("/Applications/My.Tool.app", {std::nullopt, std::nullopt, std::nullopt});
    bundles.addBundle("/Applications/Blank.app", {std::nullopt, Dictionary{{"CFBundleDisplayName", text("")}}, "e"});

    EXPECT_EQ(load(), (std::vector<InstalledApplication>{{"", "e", "/Applications/Blank.app"},
                                                          {"Bundle Name", "b", "/Applications/Plain.app"},
                                                          {"Local", "c", "/Applications/Local.app"},
                                                          {"My.Tool", std::nullopt, "/Applications/My.Tool.app"},
                                                          {"Shown", "a", "/Applications/Display.app"}}));
}

TEST_F(CatalogTest, LaterRootsAndTheWorkspaceWinForOneIdentity)
{
    bundles.addApplication("/Applications/Editor.app", "org.editor", "Editor");
    bundles.addApplication("/home/user/Applications/Editor.app", "org.editor", "Editor");
    bundles.addApplication("/System/Applications/Utilities/Console.app", "org.console", "Console");
    bundles.addApplication("/Applications/Safari.app", "com.apple.Safari", "Safari");
    bundles.addApplication("/Volumes/System/Safari.app", "com.apple.Safari", "Safari");
    workspace.applications["com.apple.Safari"] = "/Volumes/System/Safari.app";
    // Without an identifier, bundles stay apart by location.
    bundles.addBundle("/Applications/One/Tool.app", {std::nullopt, std::nullopt, std::nullopt});
    bundles.addBundle("/home/user/Applications/Tool.app", {std::nullopt, std::nullopt, std::nullopt});

    const auto applications = load();
    ASSERT_EQ(applications.size(), 5u);
    EXPECT_EQ(std::vector(applications.begin(), applications.begin() + 3),
              (std::vector<InstalledApplication>{
                  {"Console", "org.console", "/System/Applications/Utilities/Console.app"},
                  {"Editor", "org.editor", "/home/user/Applications/Editor.app"},
                  {"Safari", "com.apple.Safari", "/Volumes/System/Safari.app"}}));
    EXPECT_EQ(applications[3].name, "Tool");
    EXPECT_EQ(applications[4].name, "Tool");
}

TEST_F(CatalogTest, MissingOrUnreadableRootsAreSkipped)
{
    bundles.addApplication("/System/Applications/Maps.app", "org.maps", "Maps");
    bundles.addApplication("/home/user/Applications/Notes.app", "org.notes", "Notes");
    bundles.unenumerableRoots = {"/System/Applications"};
    EXPECT_EQ(names(), std::vector<std::string>{"Notes"});
    bundles.paths.clear();
    EXPECT_TRUE(load().empty());
}

TEST_F(CatalogTest, SortsByNameIgnoringCase)
{
    bundles.addApplication("/Applications/b.app", "b", "beta");
    bundles.addApplication("/Applications/z.app", "z", "Zulu");
    bundles.addApplication("/Applications/a.app", "a", "Alpha");
    bundles.addApplication("/Applications/a2.app", "a2", "alpha2");
    EXPECT_EQ(names(), (std::vector<std::string>{"Alpha", "alpha2", "beta", "Zulu"}));
}

}  // namespace
}  // namespace quorvel::testing
