// Loading the file with fallback, and where the support directory is.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "helper/configuration/ConfigurationStore.h"
#include "helper/configuration/SharedPaths.h"
#include "tests/configuration/TestSupport.h"

namespace quorvel {
namespace {

TEST(ConfigurationStoreFallback, EveryKindOfBadFileYieldsTheDefault)
{
    const testing::TemporaryDirectory directory;
    const std::filesystem::path file = directory.path / "configuration.json";
    auto loaded = [&] { return ConfigurationStore(file).configuration.get(); };
    const AppConfiguration& fallback = AppConfiguration::defaultConfiguration();
    EXPECT_EQ(loaded(), fallback);  // missing
    for (const std::string& text : {std::string(), std::string("[]"), testing::documentWithKind(R"({"mute": {}, "media": {}})")}) {
        testing::writeFile(file, text);
        EXPECT_EQ(loaded(), fallback) << text;
    }
    testing::writeFile(file, testing::replaced(testing::documentWithAssignments("[]"), "true", "false"));
    ASSERT_FALSE(loaded().isEnabled);
    std::filesystem::permissions(file, std::filesystem::perms::none);
    EXPECT_TRUE(::geteuid() == 0 || loaded() == fallback) << "unreadable";  // root reads it regardless
    std::filesystem::remove(file);
    std::filesystem::create_directory(file);
    EXPECT_EQ(loaded(), fallback) << "a directory";
    std::filesystem::remove(file);
    ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);  // no writer: a blocking open would hang here
    EXPECT_EQ(loaded(), fallback) << "a named pipe";
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
    const testing::TemporaryDirectory home;
    const testing::ScopedEnvironment homeVariable("HOME", home.path.string());
    {
        const testing::ScopedEnvironment unset("XDG_CONFIG_HOME", std::nullopt);
        EXPECT_EQ(ConfigurationStore().fileURL(), home.path / ".config/Quorvel/configuration.json");
    }
    const testing::ScopedEnvironment configHome("XDG_CONFIG_HOME", (home.path / "cfg").string());
    EXPECT_EQ(ConfigurationStore().configuration.get(), AppConfiguration::defaultConfiguration());
    EXPECT_TRUE(std::filesystem::is_empty(home.path));
    testing::writeFile(home.path / "cfg/Quorvel/configuration.json",
                       testing::replaced(testing::documentWithAssignments("[]"), "0.3", "0.23"));
    EXPECT_EQ(ConfigurationStore().configuration.get().recognizer.cornerZone, 0.3);
}

}  // namespace
}  // namespace quorvel
