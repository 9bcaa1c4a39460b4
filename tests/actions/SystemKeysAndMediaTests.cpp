#include "tests/actions/ActionTestSupport.h"

namespace quorvel::testing {
namespace {

using ActionDispatcher::SystemShortcut;
using platform::SystemDefinedEvent;

// The hot key entry "64" is read loosely; anything unusable counts as no shortcut.
TEST_F(ActionTest, SystemShortcutReadsEnabledEntriesOnly)
{
    const auto read = [&] { return ActionDispatcher::systemShortcut(services, "64"); };
    EXPECT_EQ(read(), std::nullopt);  // no preference at all

    setSpotlightHotKey(PropertyValue{true}, {integer(32), integer(49), integer(0x100000)});
    EXPECT_EQ(read(), (SystemShortcut{49, 0x100000}));
    setSpotlightHotKey(integer(1), {integer(32), integer(49), integer(0x100000)});
    EXPECT_EQ(read(), (SystemShortcut{49, 0x100000}));
    setSpotlightHotKey(integer(0), {integer(32), integer(49), integer(0x100000)});
    EXPECT_EQ(read(), std::nullopt);
    setSpotlightHotKey(text("yes"), {integer(32), integer(49), integer(0x100000)});
    EXPECT_EQ(read(), std::nullopt);
    setHotKeys({{"64", PropertyValue{PropertyValue::Dictionary{{"value", text("none")}}}}});
    EXPECT_EQ(read(), std::nullopt);  // "enabled" missing
    setHotKeys({{"65", PropertyValue{true}}, {"64", text("not a dictionary")}});
    EXPECT_EQ(read(), std::nullopt);
}

TEST_F(ActionTest, SystemShortcutNeedsThreeReadableParametersInRange)
{
    const auto withParameters = [&](PropertyValue::Array parameters) {
        setSpotlightHotKey(PropertyValue{true}, std::move(parameters));
        return ActionDispatcher::systemShortcut(services, "64");
    };
    EXPECT_EQ(withParameters({integer(32), integer(49)}), std::nullopt);
    EXPECT_EQ(withParameters({integer(32), text("49"), integer(0x100000)}), std::nullopt);
    EXPECT_EQ(withParameters({integer(32), integer(49), text("cmd")}), std::nullopt);
    EXPECT_EQ(withParameters({integer(32), PropertyValue{49.7}, integer(0x100000)}), (SystemShortcut{49, 0x100000}));
    EXPECT_EQ(withParameters({integer(32), integer(65535), integer(0)}), (SystemShortcut{65535, 0}));
    EXPECT_EQ(withParameters({integer(32), integer(65536), integer(0x100000)}), std::nullopt);
    EXPECT_EQ(withParameters({integer(32), integer(-1), integer(0x100000)}), std::nullopt);
    EXPECT_EQ(withParameters({integer(32), integer(49), integer(-0x100000)}), std::nullopt);
    EXPECT_EQ(withParameters({integer(32), PropertyValue{1e300}, integer(0x100000)}), std::nullopt);
}

TEST_F(ActionTest, SystemShortcutKeepsOnlyTheFourModifierBits)
{
    const auto flagsFor = [&](std::int64_t mask) {
        setSpotlightHotKey(PropertyValue{true}, {integer(32), integer(49), integer(mask)});
        return ActionDispatcher::systemShortcut(services, "64")->flags;
    };
    EXPECT_EQ(flagsFor(0x180000), platform::event_flag::option | platform::event_flag::command);
    EXPECT_EQ(flagsFor(0x980000), platform::event_flag::option | platform::event_flag::command);
    EXPECT_EQ(flagsFor(0x60000), platform::event_flag::shift | platform::event_flag::control);
    EXPECT_EQ(flagsFor(0x1FFFF), 0u);
}

TEST_F(ActionTest, SpotlightPressesTheShortcutOrOpensTheApplication)
{
    setSpotlightHotKey(PropertyValue{true}, {integer(32), integer(49), integer(0x180000)});
    run(ActionKind::ShowSpotlightSearch{});
    EXPECT_EQ(fakes.eventTap.keyboardEvents,
              (std::vector<PostedKeyboardEvent>{key(49, true, 0x180000), key(49, false, 0x180000)}));
    EXPECT_TRUE(fakes.workspace.openedApplications.empty());

    setSpotlightHotKey(integer(0), {integer(32), integer(49), integer(0x180000)});
    run(ActionKind::ShowSpotlightSearch{});
    fakes.workspace.applications["com.apple.Spotlight"] = "/apps/search";
    setSpotlightHotKey(PropertyValue{true}, {integer(32), integer(70000), integer(0)});
    run(ActionKind::ShowSpotlightSearch{});
    EXPECT_EQ(fakes.workspace.openedApplications,
              (std::vector<std::string>{"/System/Library/CoreServices/Spotlight.app", "/apps/search"}));
    EXPECT_EQ(fakes.eventTap.keyboardEvents.size(), 2u);
}

class InputSourceTest : public ActionTest {
protected:
    void SetUp() override
    {
        ActionTest::SetUp();
        fakes.inputSources.sources = {{FakeKeyboardInputSources::selectable("A"), FakeKeyboardInputSources::selectable("B"),
                                       FakeKeyboardInputSources::selectable("C")}};
    }
    std::optional<std::string> nextAfter(std::optional<platform::InputSource> current)
    {
        fakes.inputSources.current = std::move(current);
        fakes.inputSources.selected.clear();
        run(ActionKind::NextInputSource{});
        if (fakes.inputSources.selected.size() != 1) return std::nullopt;
        return fakes.inputSources.selected[0].identifier;
    }
};

TEST_F(InputSourceTest, CyclesThroughTheSelectableSources)
{
    EXPECT_EQ(nextAfter(FakeKeyboardInputSources::selectable("B")), "C");
    EXPECT_EQ(nextAfter(FakeKeyboardInputSources::selectable("C")), "A");
    EXPECT_EQ(nextAfter(FakeKeyboardInputSources::selectable("Z")), "A");
    EXPECT_EQ(nextAfter(platform::InputSource{"ref", std::nullopt, true, true}), "A");
    EXPECT_EQ(nextAfter(std::nullopt), "A");
    EXPECT_EQ(fakes.inputSources.listRequests, std::vector<bool>(5, false));
    EXPECT_EQ(fakes.alertSound.beeps, 0);
}

TEST_F(InputSourceTest, SkipsSourcesThatAreNotEnabledAndSelectable)
{
    fakes.inputSources.sources = {{FakeKeyboardInputSources::selectable("A"),
                                   {"d", "D", false, true},
                                   {"e", "E", true, std::nullopt},
                                   {"f", "F", std::nullopt, true},
                                   FakeKeyboardInputSources::selectable("C")}};
    EXPECT_EQ(nextAfter(FakeKeyboardInputSources::selectable("A")), "C");
    EXPECT_EQ(nextAfter(platform::InputSource{"d", "D", false, true}), "A");
}

TEST_F(InputSourceTest, BeepsWhenNothingCanBeSelected)
{
    fakes.inputSources.sources = std::vector<platform::InputSource>{{"d", "D", false, true}};
    EXPECT_EQ(nextAfter(std::nullopt), std::nullopt);
    fakes.inputSources.sources = std::nullopt;
    EXPECT_EQ(nextAfter(std::nullopt), std::nullopt);
    EXPECT_EQ(fakes.alertSound.beeps, 2);
}

TEST_F(ActionTest, MediaKeysPostKeyDownThenKeyUpEvents)
{
    run(ActionKind::Media{MediaCommand::playPause});
    EXPECT_EQ(fakes.eventTap.systemDefinedEvents,
              (std::vector<PostedSystemDefinedEvent>{
                  {platform::EventTapLocation::hidEventTap,
                   SystemDefinedEvent{14, 0, 0, 0xA00, 0, 0, 8, 16 * 65536 + 10 * 256, -1}},
                  {platform::EventTapLocation::hidEventTap,
                   SystemDefinedEvent{14, 0, 0, 0xB00, 0, 0, 8, 16 * 65536 + 11 * 256, -1}}}));

    const std::vector<std::pair<MediaCommand, std::int64_t>> keyTypes{
        {MediaCommand::nextTrack, 17}, {MediaCommand::previousTrack, 18}, {MediaCommand::mute, 7},
        {MediaCommand::volumeUp, 0},   {MediaCommand::volumeDown, 1}};
    for (const auto& [command, keyType] : keyTypes) {
        fakes.eventTap.systemDefinedEvents.clear();
        run(ActionKind::Media{command});
        ASSERT_EQ(fakes.eventTap.systemDefinedEvents.size(), 2u) << command.id();
        EXPECT_EQ(fakes.eventTap.systemDefinedEvents[0].event.data1, (keyType << 16) | (10 << 8)) << command.id();
        EXPECT_EQ(fakes.eventTap.systemDefinedEvents[1].event.data1, (keyType << 16) | (11 << 8)) << command.id();
    }
}

TEST_F(ActionTest, MediaKeyThatCannotBeCreatedIsDroppedSilently)
{
    fakes.eventTap.canCreateSystemDefinedEvent = false;
    run(ActionKind::Media{MediaCommand::volumeDown});
    EXPECT_TRUE(fakes.eventTap.nothingPosted());
    EXPECT_EQ(fakes.alertSound.beeps, 0);
}

}  // namespace
}  // namespace quorvel::testing
