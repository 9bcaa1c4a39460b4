// Loading the file with fallback, the whole-file reader, and where the support directory is.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "helper/configuration/ConfigurationStore.h"
#include "helper/configuration/FileReading.h"
#include "helper/configuration/SharedPaths.h"
#include "tests/configuration/TestSupport.h"

namespace quorvel {
namespace {

using testing::TemporaryDirectory;
using testing::ScopedEnvironment;

class ConfigurationStoreFallback : public ::testing::Test {
protected:
    std::filesystem::path file() const { return directory.path() / "Quorvel" / "configuration.json"; }
    void SetUp() override { std::filesystem::create_directory(directory.path() / "Quorvel"); }
    AppConfiguration storeConfiguration() const { return ConfigurationStore(file()).configuration.get(); }

    TemporaryDirectory directory;
};

TEST_F(ConfigurationStoreFallback, MissingEmptyOrInvalidFilesYieldTheDefault)
{
    const AppConfiguration& fallback = AppConfiguration::defaultConfiguration();
    EXPECT_EQ(storeConfiguration(), fallback);
    for (const std::string& text : std::vector<std::string>{"", "[]", "null", "{\"isEnabled\": true}",
                                   testing::documentWithKind(R"({"mute": {}, "media": {"command": "mute"}})")}) {
        testing::writeFile(file(), text);
        EXPECT_EQ(storeConfiguration(), fallback) << text;
    }
}

TEST_F(ConfigurationStoreFallback, ThingsThatAreNotRegularFilesYieldTheDefaultWithoutBlocking)
{
    std::filesystem::create_directory(file());
    EXPECT_EQ(storeConfiguration(), AppConfiguration::defaultConfiguration());
    std::filesystem::remove(file());

    ASSERT_EQ(::mkfifo(file().c_str(), 0600), 0);  // no writer: a blocking open would hang here
    EXPECT_EQ(storeConfiguration(), AppConfiguration::defaultConfiguration());
    EXPECT_EQ(std::get<FileReadFailure>(readWholeFileOrFailure(file())).reason, "not a regular file");
}

TEST_F(ConfigurationStoreFallback, UnreadableFileYieldsTheDefault)
{
    testing::writeFile(file(), testing::replaced(testing::documentWithAssignments("[]"), "true", "false"));
    ASSERT_FALSE(storeConfiguration().isEnabled);
    std::filesystem::permissions(file(), std::filesystem::perms::none);
    if (::geteuid() == 0) GTEST_SKIP() << "root reads files regardless of their permissions";
    EXPECT_EQ(storeConfiguration(), AppConfiguration::defaultConfiguration());
}

TEST_F(ConfigurationStoreFallback, ValidFileIsMigratedAndNothingIsWritten)
{
    testing::writeFile(file(), testing::readText(testing::fixture("worked-example.json")));
    const auto before = std::filesystem::last_write_time(file());
    const AppConfiguration configuration = storeConfiguration();
    EXPECT_EQ(configuration.assignments.size(), 4u);
    EXPECT_EQ(configuration.assignments[3], CornerAssignment{.corner = TrackpadCorner::bottomRight});
    EXPECT_TRUE(configuration.assignments[0].doubleTap.has_value());
    EXPECT_EQ(std::filesystem::last_write_time(file()), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(file().parent_path()), {}), 1);
}

TEST(ConfigurationStorePublishing, ObserversHearOfAChangeBeforeItTakesEffect)
{
    ConfigurationStore store("/nonexistent/configuration.json");
    AppConfiguration disabled = store.configuration.get();
    disabled.isEnabled = false;
    bool valueWhenNotified = false;
    store.configuration.subscribeWillChange([&](const AppConfiguration&) { valueWhenNotified = store.configuration.get().isEnabled; });
    store.configuration = disabled;
    EXPECT_TRUE(valueWhenNotified);
    EXPECT_FALSE(store.configuration.get().isEnabled);
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
    directories.home = std::nullopt;
    EXPECT_EQ(applicationSupportDirectory(directories), "/var/u/.config/Quorvel");
    directories.passwordHome = std::nullopt;
    EXPECT_EQ(applicationSupportDirectory(directories), "/run/user/7/Quorvel");
    directories.xdgRuntimeDir = std::nullopt;
    EXPECT_EQ(applicationSupportDirectory(directories), "/run/user/7/Quorvel");
}

TEST(SupportDirectory, StoreLooksInTheEnvironmentsDirectoryAndCreatesNothing)
{
    TemporaryDirectory home;
    const ScopedEnvironment homeVariable("HOME", home.path().string());
    {
        const ScopedEnvironment unset("XDG_CONFIG_HOME", std::nullopt);
        EXPECT_EQ(ConfigurationStore().fileURL(), home.path() / ".config/Quorvel/configuration.json");
    }
    const ScopedEnvironment configHome("XDG_CONFIG_HOME", (home.path() / "cfg").string());
    EXPECT_EQ(SharedPaths::applicationSupportDirectory(), home.path() / "cfg/Quorvel");
    EXPECT_EQ(ConfigurationStore().configuration.get(), AppConfiguration::defaultConfiguration());
    EXPECT_TRUE(std::filesystem::is_empty(home.path()));

    std::filesystem::create_directories(home.path() / "cfg/Quorvel");
    testing::writeFile(home.path() / "cfg/Quorvel/configuration.json",
                       testing::replaced(testing::documentWithAssignments("[]"), "0.3", "0.23"));
    const ConfigurationStore store;
    EXPECT_EQ(store.configuration.get().recognizer.cornerZone, 0.3);
    EXPECT_TRUE(store.configuration.get().assignments.empty());
}

}  // namespace
}  // namespace quorvel
