// Loading the file with fallback, and where the support directory is.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "helper/configuration/ConfigurationStore.h"
#include "helper/configuration/SharedPaths.h"
#include "tests/configuration/TestSupport.h"

namespace quorvel {
namespace {

using testing::ScopedEnvironment;
using testing::TemporaryDirectory;

class ConfigurationStoreFallback : public ::testing::Test {
protected:
    std::filesystem::path file() const { return directory.path() / "configuration.json"; }
    AppConfiguration loaded() const { return ConfigurationStore(file()).configuration.get(); }

    TemporaryDirectory directory;
};

TEST_F(ConfigurationStoreFallback, MissingEmptyOrInvalidFilesYieldTheDefault)
{
    EXPECT_EQ(loaded(), AppConfiguration::defaultConfiguration());
    for (const std::string& text : {std::string(), std::string("[]"),
                                    testing::documentWithKind(R"({"mute": {}, "media": {"command": "mute"}})")}) {
        testing::writeFile(file(), text);
        EXPECT_EQ(loaded(), AppConfiguration::defaultConfiguration()) << text;
    }
}

TEST_F(ConfigurationStoreFallback, NonRegularFilesYieldTheDefaultWithoutBlocking)
{
    std::filesystem::create_directory(file());
    EXPECT_EQ(loaded(), AppConfiguration::defaultConfiguration());
    std::filesystem::remove(file());

    ASSERT_EQ(::mkfifo(file().c_str(), 0600), 0);  // no writer: a blocking open would hang here
    EXPECT_EQ(loaded(), AppConfiguration::defaultConfiguration());
}

TEST_F(ConfigurationStoreFallback, UnreadableFileYieldsTheDefault)
{
    testing::writeFile(file(), testing::replaced(testing::documentWithAssignments("[]"), "true", "false"));
    ASSERT_FALSE(loaded().isEnabled);
    std::filesystem::permissions(file(), std::filesystem::perms::none);
    if (::geteuid() == 0) GTEST_SKIP() << "root reads files regardless of their permissions";
    EXPECT_EQ(loaded(), AppConfiguration::defaultConfiguration());
}

TEST(SupportDirectory, FollowsTheXdgBaseDirectoryRules)
{
    using SharedPaths::applicationSupportDirectory;
    SharedPaths::UserDirectories directories{"/cfg", "/home/u", "/var/u", "/run/user/7", 7};
    EXPECT_EQ(applicationSupportDirectory(directories), "/cfg/Quorvel");
    for (const char* ignored : {"", "relative/cfg"}) {
        directories.xdgConfigHome = ignored;
        EXPECT_EQ(applicationSupportDirectory(directories), "/home/u/.config/Quorvel") << ignored;
    }
    directories.home = "";
    EXPECT_EQ(applicationSupportDirectory(directories), "/var/u/.config/Quorvel");
    directories.passwordHome = std::nullopt;
    EXPECT_EQ(applicationSupportDirectory(directories), "/run/user/7/Quorvel");
    directories.xdgRuntimeDir = std::nullopt;
    EXPECT_EQ(applicationSupportDirectory(directories), "/run/user/7/Quorvel");
}

TEST(SupportDirectory, StoreReadsFromTheEnvironmentsDirectoryAndCreatesNothing)
{
    TemporaryDirectory home;
    const ScopedEnvironment homeVariable("HOME", home.path().string());
    {
        const ScopedEnvironment unset("XDG_CONFIG_HOME", std::nullopt);
        EXPECT_EQ(ConfigurationStore().fileURL(), home.path() / ".config/Quorvel/configuration.json");
    }
    const ScopedEnvironment configHome("XDG_CONFIG_HOME", (home.path() / "cfg").string());
    EXPECT_EQ(ConfigurationStore().configuration.get(), AppConfiguration::defaultConfiguration());
    EXPECT_TRUE(std::filesystem::is_empty(home.path()));

    std::filesystem::create_directories(home.path() / "cfg/Quorvel");
    testing::writeFile(home.path() / "cfg/Quorvel/configuration.json",
                       testing::replaced(testing::documentWithAssignments("[]"), "0.3", "0.23"));
    EXPECT_EQ(ConfigurationStore().configuration.get().recognizer.cornerZone, 0.3);
}

}  // namespace
}  // namespace quorvel
