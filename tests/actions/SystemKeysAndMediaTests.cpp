#include "tests/actions/ActionTestSupport.h"

namespace quorvel::testing {
namespace {

using ActionDispatcher::SystemShortcut;
using platform::SystemDefinedEvent;

struct HotKeyCase {
    PropertyValue enabled;
    PropertyValue::Array parameters;
    std::optional<SystemShortcut> shortcut;
};

// The hot key entry "64" is read loosely; anything unusable counts as no shortcut.
TEST_F(ActionTest, SystemShortcutReadsOnlyEnabledWellFormedEntriesInRange)
{
    EXPECT_EQ(ActionDispatcher::systemShortcut(services, "64"), std::nullopt);  // no preference at all
    const auto on = PropertyValue{true};
    const std::vector<HotKeyCase> cases{
        {on, {integer(32), integer(49), integer(0x100000)}, SystemShortcut{49, 0x100000}},
        {integer(1), {integer(32), integer(49), integer(0x100000)}, SystemShortcut{49, 0x100000}},
        {integer(0), {integer(32), integer(49), integer(0x100000)}, std::nullopt},
        {text("yes"), {integer(32), integer(49), integer(0x100000)}, std::nullopt},
        {on, {integer(32), integer(49)}, std::nullopt},
        {on, {integer(32), text("49"), integer(0x100000)}, std::nullopt},
        {on, {integer(32), PropertyValue{49.7}, integer(0x100000)}, SystemShortcut{49, 0x100000}},
        {on, {integer(32), integer(65535), integer(0)}, SystemShortcut{65535, 0}},
        {on, {integer(32), integer(65536), integer(0x100000)}, std::nullopt},
        {on, {integer(32), integer(-1), integer(0x100000)}, std::nullopt},
        {on, {integer(32), PropertyValue{1e300}, integer(0x100000)}, std::nullopt},
        {on, {integer(32), integer(49), integer(-0x100000)}, std::nullopt},
        // Only Shift, Control, Option and Command carry over.
        {on, {integer(32), integer(49), integer(0x180000)}, SystemShortcut{49, 0x80000 | 0x100000}},
        {on, {integer(32), integer(49), integer(0x980000)}, SystemShortcut{49, 0x80000 | 0x100000}},
        {on, {integer(32), integer(49), integer(0x6FFFF)}, SystemShortcut{49, 0x20000 | 0x40000}},
    };
    for (const auto& c : cases) {
        setSpotlightHotKey(c.enabled, c.parameters);
        EXPECT_EQ(ActionDispatcher::systemShortcut(services, "64"), c.shortcut) << &c - cases.data();
    }
    setHotKeys({{"64", PropertyValue{PropertyValue::Dictionary{{"value", text("none")}}}}});
    EXPECT_EQ(ActionDispatcher::systemShortcut(services, "64"), std::nullopt);  // "enabled" missing
    setHotKeys({{"64", text("not a dictionary")}});
    EXPECT_EQ(ActionDispatcher::systemShortcut(services, "64"), std::nullopt);
}

TEST_F(ActionTest, SpotlightPressesTheShortcutOrOpensTheApplication)
{
    setSpotlightHotKey(PropertyValue{true}, {integer(32), integer(49), integer(0x180000)});
    run(ActionKind::ShowSpotlightSearch{});
    EXPECT_EQ(fakes.eventTap.keyboardEvents, (std::vector{key(49, true, 0x180000), key(49, false, 0x180000)}));
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
    std::optional<std::string> nextAfter(std::optional<platform::InputSource> current)
    {
        fakes.inputSources.current = std::move(current);
        fakes.inputSources.selected.clear();
        run(ActionKind::NextInputSource{});
        if (fakes.inputSources.selected.size() != 1) return std::nullopt;
        return fakes.inputSources.selected[0].identifier;
    }
    static platform::InputSource source(const char* id) { return FakeKeyboardInputSources::selectable(id); }
};

TEST_F(InputSourceTest, CyclesThroughTheEnabledSelectableSources)
{
    fakes.inputSources.sources = {{source("A"), source("B"), source("C")}};
    EXPECT_EQ(nextAfter(source("B")), "C");
    EXPECT_EQ(nextAfter(source("C")), "A");
    EXPECT_EQ(nextAfter(source("Z")), "A");
    EXPECT_EQ(nextAfter(platform::InputSource{"ref", std::nullopt, true, true}), "A");
    EXPECT_EQ(nextAfter(std::nullopt), "A");
    EXPECT_EQ(fakes.inputSources.listRequests, std::vector<bool>(5, false));

    fakes.inputSources.sources = {
        {source("A"), {"d", "D", false, true}, {"e", "E", true, std::nullopt}, {"f", "F", std::nullopt, true}, source("C")}};
    EXPECT_EQ(nextAfter(source("A")), "C");
    EXPECT_EQ(fakes.alertSound.beeps, 0);
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
    const auto tap = platform::EventTapLocation::hidEventTap;
    EXPECT_EQ(fakes.eventTap.systemDefinedEvents,
              (std::vector<PostedSystemDefinedEvent>{
                  {tap, SystemDefinedEvent{14, 0, 0, 0xA00, 0, 0, 8, 16 * 65536 + 10 * 256, -1}},
                  {tap, SystemDefinedEvent{14, 0, 0, 0xB00, 0, 0, 8, 16 * 65536 + 11 * 256, -1}}}));

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
    fakes.eventTap.systemDefinedEvents.clear();
    run(ActionKind::Mute{});  // the mute kind is the mute media key
    ASSERT_EQ(fakes.eventTap.systemDefinedEvents.size(), 2u);
    EXPECT_EQ(fakes.eventTap.systemDefinedEvents[0].event.data1, (7 << 16) | (10 << 8));
    EXPECT_EQ(fakes.eventTap.systemDefinedEvents[1].event.data1, (7 << 16) | (11 << 8));
}

}  // namespace
}  // namespace quorvel::testing
