// The default configuration, the migration every load applies, and the lookup of a corner.
#include <gtest/gtest.h>

#include "helper/configuration/ConfigurationJson.h"
#include "helper/configuration/ConfigurationStore.h"

namespace quorvel {
namespace {

const platform::Uuid someId = *platform::Uuid::fromString("00000000-0000-4000-8000-00000000000A");

// The migration is private to the store; reach it as the store does, by loading the file form.
AppConfiguration loaded(const AppConfiguration& configuration)
{
    const std::string text = *encodeConfiguration(configuration);
    return std::get<AppConfiguration>(
        ConfigurationStore::load(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size())));
}

RecognizerSettings loadedRecognizer(double cornerZone, double tripleTapWindow)
{
    AppConfiguration configuration = AppConfiguration::defaultConfiguration();
    configuration.recognizer.cornerZone = cornerZone;
    configuration.recognizer.tripleTapWindow = tripleTapWindow;
    return loaded(configuration).recognizer;
}

AssignedAction action(ActionKind kind, bool isEnabled) { return AssignedAction{someId, std::move(kind), isEnabled}; }

TEST(DefaultConfiguration, EnabledWithDefaultTuningAndFourEmptyCornersInOrder)
{
    const AppConfiguration& value = AppConfiguration::defaultConfiguration();
    EXPECT_TRUE(value.isEnabled);
    EXPECT_EQ(value.recognizer, (RecognizerSettings{0.3, 0.45, 0.2, 0.28, 0.08}));
    ASSERT_EQ(value.assignments.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(value.assignments[i], CornerAssignment{.corner = TrackpadCorner::allCases()[i]});
    EXPECT_EQ(loaded(value), value);
}

TEST(MigrationSnaps, OldDefaultsBecomeCurrentOnesInsideOpenWindows)
{
    for (double snapped : {0.23, 0.22, 0.2151, 0.2449}) EXPECT_EQ(loadedRecognizer(snapped, 0.2).cornerZone, 0.3) << snapped;
    for (double kept : {0.215, 0.25, 0.2}) EXPECT_EQ(loadedRecognizer(kept, 0.2).cornerZone, kept) << kept;
    for (double snapped : {0.45, 0.4505, 0.25, 0.2491}) EXPECT_EQ(loadedRecognizer(0.3, snapped).tripleTapWindow, 0.2) << snapped;
    for (double kept : {0.452, 0.3, 0.2, 0.251}) EXPECT_EQ(loadedRecognizer(0.3, kept).tripleTapWindow, kept) << kept;
}

TEST(MigrationSnaps, OnlyTheTwoSnappedFieldsMove)
{
    AppConfiguration configuration{false, {0.23, 0.23, 0.45, 0.45, 0.25}, {}};
    AppConfiguration expected{false, {0.3, 0.23, 0.2, 0.45, 0.25}, {}};
    EXPECT_EQ(loaded(configuration), expected);
}

TEST(MigrationActions, MuteBecomesMediaMuteSwitchedOffActionsGoAndTheListKeepsItsShape)
{
    AppConfiguration configuration = AppConfiguration::defaultConfiguration();
    configuration.assignments.push_back(CornerAssignment{.corner = TrackpadCorner::topLeft});
    configuration.assignments[0].doubleTap = action(ActionKind{ActionKind::Mute{}}, true);
    configuration.assignments[0].tripleTap = action(ActionKind{ActionKind::Mute{}}, false);
    configuration.assignments[1].doubleTap = action(ActionKind{ActionKind::SwitchApps{}}, false);
    configuration.assignments[1].tripleTap = action(ActionKind{ActionKind::TextSnippet{"x"}}, true);
    configuration.assignments[4].tripleTap = action(ActionKind{ActionKind::Media{MediaCommand::mute}}, false);

    AppConfiguration expected = configuration;
    expected.assignments[0].doubleTap = action(ActionKind{ActionKind::Media{MediaCommand::mute}}, true);
    expected.assignments[0].tripleTap.reset();
    expected.assignments[1].doubleTap.reset();
    expected.assignments[4].tripleTap.reset();
    const AppConfiguration migrated = loaded(configuration);
    EXPECT_EQ(migrated, expected);
    EXPECT_EQ(loaded(migrated), migrated);  // idempotent

    configuration.assignments.clear();
    EXPECT_TRUE(loaded(configuration).assignments.empty());
}

TEST(AssignmentLookup, FirstEntryForTheCornerElseAnEmptyOne)
{
    CornerAssignment first{.corner = TrackpadCorner::topRight};
    first.tripleTap = action(ActionKind{ActionKind::NextInputSource{}}, true);
    CornerAssignment second{.corner = TrackpadCorner::topRight};
    second.doubleTap = action(ActionKind{ActionKind::ShowAppSwitcher{}}, true);
    const AppConfiguration configuration{true, {}, {CornerAssignment{.corner = TrackpadCorner::bottomLeft}, first, second}};

    EXPECT_EQ(configuration.assignment(TrackpadCorner::topRight), first);
    EXPECT_EQ(configuration.assignment(TrackpadCorner::topLeft), CornerAssignment{.corner = TrackpadCorner::topLeft});
    EXPECT_EQ(AppConfiguration{}.assignment(TrackpadCorner::bottomRight), CornerAssignment{.corner = TrackpadCorner::bottomRight});
}

}  // namespace
}  // namespace quorvel
