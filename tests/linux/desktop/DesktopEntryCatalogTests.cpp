// The installed-application catalog as the agent scans it, over real desktop entries.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

#include "helper/actions/InstalledAppCatalog.h"
#include "platform/linux/desktop/DesktopEntryBundles.h"
#include "tests/fakes/FakeWorkspace.h"

namespace quorvel::linux_backend {
namespace {

const std::string systemRoot = QUORVEL_TESTDATA_DIR "/desktop-files/usr/applications";
const std::string userRoot = QUORVEL_TESTDATA_DIR "/desktop-files/home/applications";

TEST(InstalledAppCatalogOnDesktopEntries, ListsEveryApplicationOnceByIdWithTranslatedNames)
{
    ::setenv("LANGUAGE", "eo", 1);
    DesktopEntryBundles bundles({systemRoot, userRoot});
    testing::FakeWorkspace workspace;  // a known system application found through the workspace
    workspace.applications["com.apple.Safari"] = systemRoot + "/kde4/konqbrowser.desktop";

    const auto applications = InstalledAppCatalog::loadApplications(bundles, workspace);
    std::map<std::string, InstalledApplication> byId;
    for (const auto& application : applications) byId.emplace(application.id(), application);
    EXPECT_EQ(byId.size(), applications.size()) << "an application is listed twice";
    EXPECT_EQ(byId["eog"], (InstalledApplication{"Eye of GNOME", "eog", userRoot + "/eog.desktop"}));
    EXPECT_EQ(byId["gucharmap"].name, "Signotabelo");
    EXPECT_EQ(byId["kde4-kate"], (InstalledApplication{"Kate", "kde4-kate", systemRoot + "/kde4/kate.desktop"}));
    EXPECT_EQ(byId["kde4-konqbrowser"].name, "Konkeranto");
    EXPECT_EQ(byId.count("invalid-desktop"), 0u);
    for (std::size_t i = 1; i < applications.size(); ++i) {
        EXPECT_LE(bundles.localizedCaseInsensitiveCompare(applications[i - 1].name, applications[i].name), 0);
    }
}

}  // namespace
}  // namespace quorvel::linux_backend
