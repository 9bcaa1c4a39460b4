// The default configuration, the migration every load applies, and the lookup of a corner.
#include <gtest/gtest.h>

#include "helper/configuration/ConfigurationJson.h"
#include "helper/configuration/ConfigurationStore.h"

namespace quorvel {
namespace {

const platform::Uuid someId = *platform::Uuid::fromString("00000000-0000-4000-8000-00000000000A");

// The migration is private to the store, so it is reached the way the store reaches it: by
// loading the file form of a configuration.
AppConfiguration loaded(const AppConfiguration& configuration)
{
    const std::string text = *encodeConfiguration(configuration);
    auto result = ConfigurationStore::load(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    return std::get<AppConfiguration>(result);
}

AppConfiguration withRecognizer(double cornerZone, double tripleTapWindow)
{
    AppConfiguration configuration = AppConfiguration::defaultConfiguration();
    configuration.recognizer.cornerZone = cornerZone;
    configuration.recognizer.tripleTapWindow = tripleTapWindow;
    return configuration;
}

AssignedAction action(ActionKind kind, bool isEnabled) { return AssignedAction{someId, std::move(kind), isEnabled}; }

TEST(DefaultConfiguration, EnabledWithDefaultTuningAndFourEmptyCornersInOrder)
{
    const AppConfiguration& value = AppConfiguration::defaultConfiguration();
    EXPECT_TRUE(value.isEnabled);
    EXPECT_EQ(value.recognizer, (RecognizerSettings{0.3, 0.45, 0.2, 0.28, 0.08}));
    ASSERT_EQ(value.assignments.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(value.assignments[i], CornerAssignment{.corner = TrackpadCorner::allCases()[i]});
    }
    EXPECT_EQ(loaded(value), value);
}

TEST(MigrationSnaps, CornerZoneNearTheOldDefaultBecomesTheNewOne)
{
    EXPECT_EQ(loaded(withRecognizer(0.23, 0.2)).recognizer.cornerZone, 0.3);
    EXPECT_EQ(loaded(withRecognizer(0.22, 0.2)).recognizer.cornerZone, 0.3);
    EXPECT_EQ(loaded(withRecognizer(0.2151, 0.2)).recognizer.cornerZone, 0.3);
    EXPECT_EQ(loaded(withRecognizer(0.215, 0.2)).recognizer.cornerZone, 0.215);  // open window
    EXPECT_EQ(loaded(withRecognizer(0.25, 0.2)).recognizer.cornerZone, 0.25);
    EXPECT_EQ(loaded(withRecognizer(0.2, 0.2)).recognizer.cornerZone, 0.2);
}

TEST(MigrationSnaps, TripleTapWindowNearEitherOldDefaultBecomesTheNewOne)
{
    EXPECT_EQ(loaded(withRecognizer(0.3, 0.45)).recognizer.tripleTapWindow, 0.2);
    EXPECT_EQ(loaded(withRecognizer(0.3, 0.4505)).recognizer.tripleTapWindow, 0.2);
    EXPECT_EQ(loaded(withRecognizer(0.3, 0.25)).recognizer.tripleTapWindow, 0.2);
    EXPECT_EQ(loaded(withRecognizer(0.3, 0.452)).recognizer.tripleTapWindow, 0.452);
    EXPECT_EQ(loaded(withRecognizer(0.3, 0.3)).recognizer.tripleTapWindow, 0.3);
    EXPECT_EQ(loaded(withRecognizer(0.3, 0.2)).recognizer.tripleTapWindow, 0.2);
    // Only the two snapped fields move.
    AppConfiguration other = withRecognizer(0.23, 0.45);
    other.recognizer.doubleTapWindow = 0.23;
    other.recognizer.maximumTapDuration = 0.45;
    other.recognizer.maximumTapTravel = 0.25;
    other.isEnabled = false;
    AppConfiguration expected = other;
    expected.recognizer.cornerZone = 0.3;
    expected.recognizer.tripleTapWindow = 0.2;
    EXPECT_EQ(loaded(other), expected);
}

TEST(MigrationActions, MuteBecomesMediaMuteAndSwitchedOffActionsGo)
{
    AppConfiguration configuration = AppConfiguration::defaultConfiguration();
    configuration.assignments[0].doubleTap = action(ActionKind{ActionKind::Mute{}}, true);
    configuration.assignments[0].tripleTap = action(ActionKind{ActionKind::Mute{}}, false);
    configuration.assignments[1].doubleTap = action(ActionKind{ActionKind::SwitchApps{}}, false);
    configuration.assignments[1].tripleTap = action(ActionKind{ActionKind::TextSnippet{"x"}}, true);

    AppConfiguration expected = configuration;
    expected.assignments[0].doubleTap = action(ActionKind{ActionKind::Media{MediaCommand::mute}}, true);
    expected.assignments[0].tripleTap.reset();
    expected.assignments[1].doubleTap.reset();
    const AppConfiguration migrated = loaded(configuration);
    EXPECT_EQ(migrated, expected);
    EXPECT_EQ(loaded(migrated), migrated);  // idempotent
}

TEST(MigrationActions, ListShapeIsKept)
{
    AppConfiguration configuration = withRecognizer(0.23, 0.25);
    configuration.assignments = {};
    EXPECT_TRUE(loaded(configuration).assignments.empty());

    configuration.assignments = {CornerAssignment{.corner = TrackpadCorner::bottomRight},
                                 CornerAssignment{.corner = TrackpadCorner::bottomRight}};
    configuration.assignments[1].doubleTap = action(ActionKind{ActionKind::Mute{}}, false);
    const AppConfiguration migrated = loaded(configuration);
    EXPECT_EQ(migrated.assignments, (std::vector{CornerAssignment{.corner = TrackpadCorner::bottomRight},
                                                 CornerAssignment{.corner = TrackpadCorner::bottomRight}}));
    EXPECT_EQ(loaded(migrated), migrated);
}

TEST(AssignmentLookup, FirstEntryForTheCornerElseAnEmptyOne)
{
    AppConfiguration configuration;
    CornerAssignment first{.corner = TrackpadCorner::topRight};
    first.tripleTap = action(ActionKind{ActionKind::NextInputSource{}}, true);
    CornerAssignment second{.corner = TrackpadCorner::topRight};
    second.doubleTap = action(ActionKind{ActionKind::ShowAppSwitcher{}}, true);
    configuration.assignments = {CornerAssignment{.corner = TrackpadCorner::bottomLeft}, first, second};

    EXPECT_EQ(configuration.assignment(TrackpadCorner::topRight), first);
    EXPECT_EQ(configuration.assignment(TrackpadCorner::topLeft), CornerAssignment{.corner = TrackpadCorner::topLeft});
    EXPECT_EQ(AppConfiguration{}.assignment(TrackpadCorner::bottomRight),
              CornerAssignment{.corner = TrackpadCorner::bottomRight});
}

}  // namespace
}  // namespace quorvel
