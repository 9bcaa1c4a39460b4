// The default configuration, the migration every load applies, and the lookup of a corner.
#include <gtest/gtest.h>

#include "helper/configuration/ConfigurationJson.h"
#include "helper/configuration/ConfigurationStore.h"

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

TEST(DefaultConfiguration, EnabledWithDefaultTuningAndFourEmptyCornersInOrder)
{
    const AppConfiguration& value = AppConfiguration::defaultConfiguration();
    using enum TrackpadCorner::Value;
    const std::vector<CornerAssignment> fourEmptyCorners{{topLeft}, {topRight}, {bottomLeft}, {bottomRight}};
    EXPECT_EQ(value, (AppConfiguration{true, {0.3, 0.45, 0.2, 0.28, 0.08}, fourEmptyCorners}));
    EXPECT_EQ(loaded(value), value);
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
    EXPECT_EQ(loaded(configuration), expected);
    EXPECT_EQ(loaded(expected), expected);
    EXPECT_TRUE(loaded(AppConfiguration{}).assignments.empty());
}

TEST(AssignmentLookup, FirstEntryForTheCornerElseAnEmptyOne)
{
    CornerAssignment first{.corner = TrackpadCorner::topRight}, second{.corner = TrackpadCorner::topRight};
    first.tripleTap = action(ActionKind{ActionKind::NextInputSource{}}, true);
    second.doubleTap = action(ActionKind{ActionKind::ShowAppSwitcher{}}, true);
    const AppConfiguration configuration{true, {}, {CornerAssignment{.corner = TrackpadCorner::bottomLeft}, first, second}};
    EXPECT_EQ(configuration.assignment(TrackpadCorner::topRight), first);
    EXPECT_EQ(configuration.assignment(TrackpadCorner::topLeft), CornerAssignment{.corner = TrackpadCorner::topLeft});
}

}  // namespace
}  // namespace quorvel
