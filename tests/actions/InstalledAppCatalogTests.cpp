#include "tests/actions/ActionTestSupport.h"

namespace quorvel::testing {

using Dictionary = PropertyValue::Dictionary;

struct CatalogTest : ::testing::Test {
    CatalogTest()
    {
        bundles.locations = {
            {"/Applications", "/System/Applications", "/System/Applications/Utilities", "/home/user/Applications"},
            "app", {"com.apple.Safari"}};
    }
    std::vector<InstalledApplication> load() { return InstalledAppCatalog::loadApplications(bundles, workspace); }

    FakeApplicationBundles bundles;
    FakeWorkspace workspace;
};

TEST_F(CatalogTest, FindsBundlesBelowReadableRootsButNotInsideBundlesOrHiddenItemsSortedIgnoringCase)
{
    bundles.addApplication("/Applications/Games/Board/Chess.app", "org.chess", "chess");
    bundles.addApplication("/Applications/Suite.app", "org.suite", "Suite");
    bundles.addApplication("/Applications/Suite.app/Contents/Helpers/Inner.app", "org.inner", "Inner");
    bundles.addApplication("/Applications/.Hidden.app", "org.hidden", "Hidden");
    bundles.addApplication("/Applications/.cache/Tool.app", "org.tool", "Tool");
    bundles.addApplication("/Applications/Shout.APP", "org.shout", "Shout");
    bundles.addApplication("/System/Applications/Maps.app", "org.maps", "Maps");
    bundles.unenumerableRoots = {"/System/Applications"};
    bundles.addApplication("/home/user/Applications/Atlas.app", "org.atlas", "Atlas");

    Strings names;
    for (const auto& application : load()) names.push_back(application.name);
    EXPECT_EQ(names, (Strings{"Atlas", "chess", "Suite"}));
}

// One record per identifier, from the last root or the workspace; without one, per location.
// Names come from the localised info dictionary if there is one, else the plain one, else the folder.
TEST_F(CatalogTest, LaterRootsAndTheWorkspaceWinForOneIdentityAndNamesComeFromTheChosenInfoDictionary)
{
    bundles.addApplication("/Applications/Editor.app", "org.editor", "Editor");
    bundles.addApplication("/home/user/Applications/Editor.app", "org.editor", "Editor");
    bundles.addApplication("/Applications/Safari.app", "com.apple.Safari", "Safari");
    bundles.addApplication("/Volumes/System/Safari.app", "com.apple.Safari", "Safari");
    workspace.applications["com.apple.Safari"] = "/Volumes/System/Safari.app";
    bundles.addBundle("/Applications/One/My.Tool.app", {std::nullopt, std::nullopt, std::nullopt});
    bundles.addBundle("/home/user/Applications/My.Tool.app", {std::nullopt, std::nullopt, std::nullopt});
    bundles.addBundle("/Applications/Display.app",
                      {std::nullopt, Dictionary{{"CFBundleDisplayName", {""}}, {"CFBundleName", {"No"}}}, "a"});
    bundles.addBundle("/Applications/Local.app",
                      {Dictionary{{"CFBundleDisplayName", {3}}}, Dictionary{{"CFBundleName", {"No"}}}, "c"});
    EXPECT_EQ(load(), (std::vector<InstalledApplication>{
                          {"", "a", "/Applications/Display.app"},
                          {"Editor", "org.editor", "/home/user/Applications/Editor.app"},
                          {"Local", "c", "/Applications/Local.app"},
                          {"My.Tool", std::nullopt, "/Applications/One/My.Tool.app"},
                          {"My.Tool", std::nullopt, "/home/user/Applications/My.Tool.app"},
                          {"Safari", "com.apple.Safari", "/Volumes/System/Safari.app"}}));
}

}  // namespace quorvel::testing
