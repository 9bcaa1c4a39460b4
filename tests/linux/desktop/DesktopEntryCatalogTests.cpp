// The installed-application catalog over real desktop entries: XDG roots, desktop-file
// IDs, which entries count as applications, names, and the scan as the agent runs it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "helper/actions/InstalledAppCatalog.h"
#include "platform/linux/desktop/DesktopEntryBundles.h"
#include "platform/linux/desktop/DesktopEntryLocations.h"
#include "tests/fakes/FakeWorkspace.h"

namespace quorvel::linux_backend {
namespace {

namespace fs = std::filesystem;

const std::string desktopFiles = std::string(QUORVEL_TESTDATA_DIR) + "/desktop-files";
const std::string systemRoot = desktopFiles + "/usr/applications";
const std::string userRoot = desktopFiles + "/home/applications";

class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const char* value) : name_(name)
    {
        if (const char* old = std::getenv(name)) {
            old_ = old;
        }
        value ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~ScopedEnvironment() { old_ ? ::setenv(name_, old_->c_str(), 1) : ::unsetenv(name_); }

private:
    const char* name_;
    std::optional<std::string> old_;
};

class TemporaryTree {
public:
    TemporaryTree()
    {
        std::string pattern = (fs::temp_directory_path() / "quorvel-entries-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
    }
    ~TemporaryTree() { fs::remove_all(path_); }
    std::string write(const std::string& relative, const std::string& contents) const
    {
        const fs::path file = fs::path(path_) / relative;
        fs::create_directories(file.parent_path());
        std::ofstream(file) << contents;
        return file.string();
    }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

TEST(DesktopEntryRoots, FollowXdgPrecedenceWithTheUsersOwnLast)
{
    ScopedEnvironment dirs("XDG_DATA_DIRS", "/opt/a:/usr/b/::/c");
    ScopedEnvironment home("XDG_DATA_HOME", "/home/u/data");
    EXPECT_EQ(applicationRootsFromEnvironment(),
              (std::vector<std::string>{"/c/applications", "/usr/b/applications", "/opt/a/applications",
                                        "/home/u/data/applications"}));
}

TEST(DesktopEntryRoots, FallBackToTheStandardDirectories)
{
    ScopedEnvironment dirs("XDG_DATA_DIRS", nullptr);
    ScopedEnvironment dataHome("XDG_DATA_HOME", "");
    ScopedEnvironment home("HOME", "/home/u");
    EXPECT_EQ(applicationRootsFromEnvironment(),
              (std::vector<std::string>{"/usr/share/applications", "/usr/local/share/applications",
                                        "/home/u/.local/share/applications"}));
}

TEST(DesktopEntryIds, AreRelativeToTheNearestRootWithSlashesAsDashes)
{
    const std::vector<std::string> roots = {"/usr/share/applications", "/usr/share/applications/kde4/extra/"};
    EXPECT_EQ(desktopFileId("/usr/share/applications/kde4/kate.desktop", roots), "kde4-kate");
    EXPECT_EQ(desktopFileId("/usr/share/applications/kde4/extra/x.desktop", roots), "x");
    EXPECT_EQ(desktopFileId("/elsewhere/applications/a/b.desktop", roots), "a-b");
    EXPECT_EQ(desktopFileId("/elsewhere/b.desktop", roots), "b");
    EXPECT_EQ(desktopFileId("/usr/share/applications/readme.txt", roots), std::nullopt);
}

TEST(DesktopEntryBundles, ReadNamesAndIdsFromRealEntries)
{
    ASSERT_TRUE(fs::is_directory(systemRoot) && fs::is_directory(userRoot)) << "missing test data: " << desktopFiles;
    ScopedEnvironment language("LANGUAGE", "eo");
    ScopedEnvironment all("LC_ALL", "C.UTF-8");
    DesktopEntryBundles bundles({systemRoot, userRoot});

    const auto eog = bundles.openBundle(systemRoot + "/eog.desktop");
    ASSERT_TRUE(eog.has_value());
    EXPECT_EQ(eog->bundleIdentifier, "eog");
    EXPECT_EQ(eog->infoDictionary->at("CFBundleName").value, platform::PropertyValue{"Image Viewer"}.value);
    EXPECT_EQ(eog->localizedInfoDictionary->at("CFBundleDisplayName").value,
              platform::PropertyValue{"Bildomontrilo"}.value);

    const auto kate = bundles.openBundle(systemRoot + "/kde4/kate.desktop");
    ASSERT_TRUE(kate.has_value());
    EXPECT_EQ(kate->bundleIdentifier, "kde4-kate");
}

TEST(DesktopEntryBundles, RejectEntriesThatAreNoLaunchableApplications)
{
    DesktopEntryBundles bundles({systemRoot});
    EXPECT_EQ(bundles.openBundle(systemRoot + "/invalid-desktop.desktop"), std::nullopt);
    EXPECT_EQ(bundles.openBundle(systemRoot + "/missing.desktop"), std::nullopt);

    TemporaryTree tree;
    const std::string valid = "[Desktop Entry]\nType=Application\nName=Ok\nExec=true\n";
    EXPECT_TRUE(bundles.openBundle(tree.write("ok.desktop", valid)).has_value());
    EXPECT_TRUE(bundles.openBundle(tree.write("bus.desktop", "[Desktop Entry]\nType=Application\nName=B\n"
                                                             "DBusActivatable=true\n"))
                    .has_value());
    EXPECT_FALSE(bundles.openBundle(tree.write("hidden.desktop", valid + "Hidden=true\n")).has_value());
    EXPECT_FALSE(bundles.openBundle(tree.write("link.desktop", "[Desktop Entry]\nType=Link\nName=L\nURL=x\n"))
                     .has_value());
    EXPECT_FALSE(bundles.openBundle(tree.write("nogroup.desktop", "[Other]\nType=Application\nExec=true\n"))
                     .has_value());
    EXPECT_FALSE(bundles.openBundle(tree.write("garbage.desktop", "\x01\x02 not a key file")).has_value());
}

TEST(DesktopEntryBundles, WalkDepthFirstWithoutHiddenItemsAndHonourSkips)
{
    TemporaryTree tree;
    tree.write("a/inner.desktop", "");
    tree.write("a/deeper/x.desktop", "");
    tree.write(".hidden/secret.desktop", "");
    tree.write(".dot.desktop", "");
    tree.write("b.desktop", "");
    DesktopEntryBundles bundles({});

    auto walk = bundles.enumerator(tree.path());
    ASSERT_NE(walk, nullptr);
    std::vector<std::string> seen;
    while (auto path = walk->next()) {
        seen.push_back(path->substr(tree.path().size() + 1));
        if (seen.back() == "a/deeper") {
            walk->skipDescendants();
        }
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"a", "a/deeper", "a/inner.desktop", "b.desktop"}));
    EXPECT_EQ(bundles.enumerator(tree.path() + "/none"), nullptr);
}

TEST(DesktopEntryBundles, CompareNamesCaseInsensitively)
{
    DesktopEntryBundles bundles({});
    EXPECT_EQ(bundles.localizedCaseInsensitiveCompare("eog", "EOG"), 0);
    EXPECT_LT(bundles.localizedCaseInsensitiveCompare("Alpha", "alpha2"), 0);
    EXPECT_GT(bundles.localizedCaseInsensitiveCompare("beta", "alpha2"), 0);
    EXPECT_NE(bundles.localizedCaseInsensitiveCompare("\xff", "a"), 0);  // invalid UTF-8 still orders
}

TEST(InstalledAppCatalogOnDesktopEntries, ListsEveryApplicationOnceWithTheUsersCopyWinning)
{
    ScopedEnvironment language("LANGUAGE", "C");
    ASSERT_TRUE(fs::is_directory(systemRoot) && fs::is_directory(userRoot)) << "missing test data: " << desktopFiles;
    DesktopEntryBundles bundles({systemRoot, userRoot});
    testing::FakeWorkspace workspace;
    workspace.applications["com.apple.Safari"] = systemRoot + "/kde4/konqbrowser.desktop";

    const auto applications = InstalledAppCatalog::loadApplications(bundles, workspace);
    const auto find = [&](const std::string& id) {
        return std::find_if(applications.begin(), applications.end(),
                            [&](const InstalledApplication& app) { return app.bundleIdentifier == id; });
    };
    ASSERT_NE(find("eog"), applications.end());
    EXPECT_EQ(find("eog")->name, "Eye of GNOME");
    EXPECT_EQ(find("eog")->url, userRoot + "/eog.desktop");
    EXPECT_EQ(std::count_if(applications.begin(), applications.end(),
                            [](const InstalledApplication& app) { return app.bundleIdentifier == "eog"; }),
              1);
    EXPECT_NE(find("kde4-kate"), applications.end());
    EXPECT_NE(find("kde4-konqbrowser"), applications.end());
    EXPECT_EQ(find("invalid-desktop"), applications.end());
    for (std::size_t i = 1; i < applications.size(); ++i) {
        EXPECT_LE(bundles.localizedCaseInsensitiveCompare(applications[i - 1].name, applications[i].name), 0);
    }
}

}  // namespace
}  // namespace quorvel::linux_backend
