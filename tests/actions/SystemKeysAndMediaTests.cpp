#include "tests/actions/ActionTestSupport.h"

namespace quorvel::testing {

// The hot key entry is read loosely; anything unusable counts as no shortcut.
TEST_F(ActionTest, SystemShortcutReadsOnlyEnabledWellFormedEntriesInRange)
{
    EXPECT_EQ(ActionDispatcher::systemShortcut(fakes.services(), "64"), std::nullopt);  // no preference at all
    const auto entry = [](PropertyValue enabled, PropertyValue keyCode, std::int64_t mask) {
        return hotKey(std::move(enabled), {{32}, std::move(keyCode), {mask}});
    };
    const std::vector<std::pair<PropertyValue, std::optional<ActionDispatcher::SystemShortcut>>> cases{
        {entry({1}, {49}, 0x100000), {{49, 0x100000}}},           {entry({0}, {49}, 0x100000), std::nullopt},
        {entry({"yes"}, {49}, 0x100000), std::nullopt},           {hotKey({true}, {{32}, {49}}), std::nullopt},
        {entry({true}, {"49"}, 0x100000), std::nullopt},          {entry({true}, {49.7}, 0x100000), {{49, 0x100000}}},
        {entry({true}, {65535}, 0), {{65535, 0}}},                {entry({true}, {65536}, 0x100000), std::nullopt},
        {entry({true}, {-1}, 0x100000), std::nullopt},            {entry({true}, {1e300}, 0x100000), std::nullopt},
        {entry({true}, {49}, -0x100000), std::nullopt},           {{"not a dictionary"}, std::nullopt},
        // Only Shift, Control, Option and Command carry over.
        {entry({true}, {49}, 0x180000), {{49, 0x180000}}},        {entry({true}, {49}, 0x980000), {{49, 0x180000}}},
        {entry({true}, {49}, 0x6FFFF), {{49, 0x60000}}},          {{PropertyValue::Dictionary{}}, std::nullopt}};
    for (std::size_t row = 0; row < cases.size(); ++row) {
        setSpotlightHotKey(fakes, cases[row].first);
        EXPECT_EQ(ActionDispatcher::systemShortcut(fakes.services(), "64"), cases[row].second) << "row " << row;
    }
}

TEST_F(ActionTest, SpotlightPressesTheShortcutOrOpensTheApplicationWithoutPermission)
{
    setSpotlightHotKey(fakes, hotKey({true}, {{32}, {49}, {0x180000}}));
    run(Kind::ShowSpotlightSearch{});
    EXPECT_EQ(fakes.eventTap.keyboardEvents, (std::vector{key(49, true, 0x180000), key(49, false, 0x180000)}));

    fakes.accessibility.trusted = false;
    setSpotlightHotKey(fakes, hotKey({true}, {{32}, {70000}, {0}}));
    run(Kind::ShowSpotlightSearch{});
    fakes.workspace.applications["com.apple.Spotlight"] = "/apps/search";
    run(Kind::ShowSpotlightSearch{});
    EXPECT_EQ(fakes.workspace.openedApplications,
              (Strings{"/System/Library/CoreServices/Spotlight.app", "/apps/search"}));
    EXPECT_EQ(fakes.alertSound.beeps, 0);
}

TEST(NextInputSource, CyclesThroughEnabledSelectableSourcesOrBeeps)
{
    using Source = platform::InputSource;
    using Sources = std::optional<std::vector<Source>>;
    const auto source = FakeKeyboardInputSources::selectable;
    const Source disabled{"d", "D", false, true}, unnamed{"ref", std::nullopt, true, true};
    const std::vector abc{source("A"), source("B"), source("C")},
        mixed{source("A"), disabled, {"e", "E", true, std::nullopt}, {"f", "F", std::nullopt, true}, source("C")};
    const std::vector<std::tuple<Sources, std::optional<Source>, std::optional<Source>>> cases{
        {abc, source("B"), source("C")}, {abc, source("C"), source("A")}, {abc, source("Z"), source("A")},
        {abc, unnamed, source("A")}, {abc, std::nullopt, source("A")}, {mixed, source("A"), source("C")},
        {std::vector{disabled}, std::nullopt, std::nullopt}, {std::nullopt, std::nullopt, std::nullopt}};
    for (const auto& [sources, current, next] : cases) {
        FakeActionServices fakes;
        fakes.inputSources.sources = sources;
        fakes.inputSources.current = current;
        run(fakes, Kind::NextInputSource{});
        EXPECT_EQ(fakes.inputSources.selected, next ? std::vector{*next} : std::vector<Source>{});
        EXPECT_EQ(fakes.alertSound.beeps, next ? 0 : 1);
        EXPECT_EQ(fakes.inputSources.listRequests, std::vector{false});  // enabled sources only
    }
}

TEST_F(ActionTest, MediaKeysPostKeyDownThenKeyUpEvents)
{
    const auto posted = [](std::uint64_t flags, std::int64_t data1) {
        return PostedSystemDefinedEvent{platform::EventTapLocation::hidEventTap, {14, 0, 0, flags, 0, 0, 8, data1, -1}};
    };
    for (const auto& [kind, type] : std::vector<std::pair<ActionKind::Value, std::int64_t>>{
             {Kind::Media{MediaCommand::playPause}, 16}, {Kind::Media{MediaCommand::nextTrack}, 17},
             {Kind::Media{MediaCommand::previousTrack}, 18}, {Kind::Media{MediaCommand::mute}, 7},
             {Kind::Media{MediaCommand::volumeUp}, 0}, {Kind::Media{MediaCommand::volumeDown}, 1}, {Kind::Mute{}, 7}}) {
        fakes.eventTap.systemDefinedEvents.clear();
        run(kind);
        EXPECT_EQ(fakes.eventTap.systemDefinedEvents,
                  (std::vector{posted(0xA00, (type << 16) | 0xA00), posted(0xB00, (type << 16) | 0xB00)})) << type;
    }
}

}  // namespace quorvel::testing
