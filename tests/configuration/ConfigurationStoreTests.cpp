// The default configuration, the migration every load applies, the lookup of a corner, loading the
// file with fallback, and where the support directory is.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "helper/configuration/ConfigurationJson.h"
#include "helper/configuration/ConfigurationStore.h"
#include "helper/configuration/SharedPaths.h"
#include "tests/configuration/TestSupport.h"

namespace quorvel {
namespace {

// The migration is private to the store; reach it as the store does, by loading the file form.
AppConfiguration loaded(const AppConfiguration& configuration)
{
    const std::string text = *encodeConfiguration(configuration);
    return std::get<AppConfiguration>(
        ConfigurationStore::load(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size())));
}

AssignedAction action(ActionKind kind, bool isEnabled)
{
    return AssignedAction{*platform::Uuid::fromString("00000000-0000-4000-8000-00000000000A"), std::move(kind), isEnabled};
}

TEST(MigrationSnaps, OldDefaultsBecomeCurrentOnesInsideOpenWindowsAndNothingElseMoves)
{
    auto snapped = [](double cornerZone, double tripleTapWindow) {
        return loaded(AppConfiguration{false, {cornerZone, 0.23, tripleTapWindow, 0.45, 0.25}, {}}).recognizer;
    };
    const RecognizerSettings current{0.3, 0.23, 0.2, 0.45, 0.25};
    for (double old : {0.23, 0.22, 0.2151, 0.2449}) EXPECT_EQ(snapped(old, 0.2), current) << old;
    for (double kept : {0.215, 0.25, 0.2}) EXPECT_EQ(snapped(kept, 0.2).cornerZone, kept) << kept;
    for (double old : {0.45, 0.4505, 0.25, 0.2491}) EXPECT_EQ(snapped(0.3, old), current) << old;
    for (double kept : {0.452, 0.3, 0.2, 0.251}) EXPECT_EQ(snapped(0.3, kept).tripleTapWindow, kept) << kept;
}

TEST(MigrationActions, MuteBecomesMediaMuteSwitchedOffActionsGoTheListKeepsItsShapeAndItIsIdempotent)
{
    using enum TrackpadCorner::Value;
    const ActionKind mute{ActionKind::Mute{}}, mediaMute{ActionKind::Media{MediaCommand::mute}}, snippet{ActionKind::TextSnippet{"x"}};
    const AppConfiguration configuration{true, {}, {{topLeft, action(mute, true), action(mute, false)},
                                                    {topRight, action(ActionKind{ActionKind::SwitchApps{}}, false), action(snippet, true)},
                                                    {topLeft, std::nullopt, action(mediaMute, false)}}};
    const AppConfiguration expected{true, {}, {{topLeft, action(mediaMute, true)}, {topRight, std::nullopt, action(snippet, true)}, {topLeft}}};
    EXPECT_EQ(loaded(configuration), expected);
    EXPECT_EQ(loaded(expected), expected);
    EXPECT_TRUE(loaded(AppConfiguration{}).assignments.empty());
}

TEST(DefaultConfigurationAndLookup, FourEmptyCornersInOrderAndTheFirstEntryForACornerElseAnEmptyOne)
{
    using enum TrackpadCorner::Value;
    const std::vector<CornerAssignment> fourEmptyCorners{{topLeft}, {topRight}, {bottomLeft}, {bottomRight}};
    EXPECT_EQ(AppConfiguration::defaultConfiguration(), (AppConfiguration{true, {0.3, 0.45, 0.2, 0.28, 0.08}, fourEmptyCorners}));
    EXPECT_EQ(loaded(AppConfiguration::defaultConfiguration()), AppConfiguration::defaultConfiguration());
    CornerAssignment first{.corner = TrackpadCorner::topRight}, second{.corner = TrackpadCorner::topRight};
    first.tripleTap = action(ActionKind{ActionKind::NextInputSource{}}, true);
    second.doubleTap = action(ActionKind{ActionKind::ShowAppSwitcher{}}, true);
    const AppConfiguration configuration{true, {}, {CornerAssignment{.corner = TrackpadCorner::bottomLeft}, first, second}};
    EXPECT_EQ(configuration.assignment(TrackpadCorner::topRight), first);
    EXPECT_EQ(configuration.assignment(TrackpadCorner::topLeft), CornerAssignment{.corner = TrackpadCorner::topLeft});
}

TEST(ConfigurationStoreFallback, EveryKindOfBadFileYieldsTheDefault)
{
    const testing::TemporaryDirectory directory;
    const std::filesystem::path file = directory.path / "configuration.json";
    auto loadedFile = [&] { return ConfigurationStore(file).configuration.get(); };
    const AppConfiguration& fallback = AppConfiguration::defaultConfiguration();
    EXPECT_EQ(loadedFile(), fallback);  // missing
    for (const std::string& text : {std::string(), std::string("[]"), testing::documentWithKind(R"({"mute": {}, "media": {}})")}) {
        testing::writeFile(file, text);
        EXPECT_EQ(loadedFile(), fallback) << text;
    }
    testing::writeFile(file, testing::replaced(testing::documentWithAssignments("[]"), "true", "false"));
    ASSERT_FALSE(loadedFile().isEnabled);
    std::filesystem::permissions(file, std::filesystem::perms::none);
    EXPECT_TRUE(::geteuid() == 0 || loadedFile() == fallback) << "unreadable";  // root reads it regardless
    std::filesystem::remove(file);
    std::filesystem::create_directory(file);
    EXPECT_EQ(loadedFile(), fallback) << "a directory";
    std::filesystem::remove(file);
    ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);  // no writer: a blocking open would hang here
    EXPECT_EQ(loadedFile(), fallback) << "a named pipe";
}

TEST(SupportDirectory, FollowsTheXdgBaseDirectoryRules)
{
    const auto none = std::nullopt;
    const std::pair<SharedPaths::UserDirectories, std::string> cases[] = {
        {{"/cfg", "/home/u", "/var/u", "/run/user/7", 7}, "/cfg/Quorvel"},
        {{"", "/home/u", "/var/u", "/run/user/7", 7}, "/home/u/.config/Quorvel"},
        {{"relative/cfg", "/home/u", "/var/u", "/run/user/7", 7}, "/home/u/.config/Quorvel"},
        {{none, "", "/var/u", "/run/user/7", 7}, "/var/u/.config/Quorvel"},
        {{none, none, none, "/run/user/7", 7}, "/run/user/7/Quorvel"},
        {{none, none, none, none, 7}, "/run/user/7/Quorvel"},
    };
    for (const auto& [directories, expected] : cases) {
        EXPECT_EQ(SharedPaths::applicationSupportDirectory(directories), expected) << expected;
    }
}

}  // namespace
}  // namespace quorvel
