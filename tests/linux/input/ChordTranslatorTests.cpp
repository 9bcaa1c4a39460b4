#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <set>

#include "platform/linux/input/ChordTranslator.h"
#include "platform/linux/input/KeyCodeTable.h"

namespace quorvel::linux_backend {
namespace {

using Flags = std::optional<platform::EventFlags>;
namespace flag = platform::event_flag;

KeyTransition down(std::uint16_t code) { return {code, true}; }
KeyTransition up(std::uint16_t code) { return {code, false}; }

platform::SystemDefinedEvent mediaEvent(std::int64_t keyType, std::int64_t state)
{
    platform::SystemDefinedEvent event;
    event.modifierFlags = static_cast<std::uint64_t>(state) * 256;
    event.data1 = keyType * 65536 + state * 256;
    return event;
}

class ChordTranslatorTest : public ::testing::Test {
protected:
    std::optional<KeyTransitions> press(platform::VirtualKeyCode code, Flags flags) { return t.translate({code, true, flags}); }
    std::optional<KeyTransitions> release(platform::VirtualKeyCode code, Flags flags) { return t.translate({code, false, flags}); }
    ChordTranslator t;
};

TEST(KeyCodeTable, MapsKeysByPositionAndGivesEachOrdinaryKeyItsOwnAnnouncedPcKey)
{
    const std::pair<platform::VirtualKeyCode, std::uint16_t> samples[] = {
        {0, KEY_A},   {1, KEY_S},      {2, KEY_D},      {9, KEY_V},          {18, KEY_1},   {29, KEY_0},
        {36, KEY_ENTER}, {48, KEY_TAB}, {49, KEY_SPACE}, {51, KEY_BACKSPACE}, {53, KEY_ESC}, {117, KEY_DELETE},
        {122, KEY_F1}, {96, KEY_F5},   {111, KEY_F12},  {123, KEY_LEFT},     {126, KEY_UP}, {76, KEY_KPENTER},
    };
    for (const auto& [virtualKey, evdevKey] : samples) {
        EXPECT_EQ(keyMappingFor(virtualKey), (KeyMapping{evdevKey, KeyRole::ordinary})) << virtualKey;
    }
    std::set<std::uint16_t> seen;
    const std::vector<std::uint16_t> announced = allEvdevKeys();
    for (int code = 0; code <= 0xFF; ++code) {
        const auto mapping = keyMappingFor(static_cast<platform::VirtualKeyCode>(code));
        if (!mapping) continue;
        EXPECT_TRUE(std::binary_search(announced.begin(), announced.end(), mapping->evdevCode)) << code;
        if (mapping->role == KeyRole::ordinary) {
            EXPECT_TRUE(seen.insert(mapping->evdevCode).second) << code;
        }
    }
    EXPECT_GE(seen.size(), 100U);  // the whole keyboard, not a sample
}

TEST_F(ChordTranslatorTest, PasteWithCommandBecomesCtrlV)
{
    EXPECT_EQ(press(9, flag::command), (KeyTransitions{down(KEY_LEFTCTRL), down(KEY_V)}));
    EXPECT_EQ(release(9, flag::command), (KeyTransitions{up(KEY_V), up(KEY_LEFTCTRL)}));
}

TEST_F(ChordTranslatorTest, ShiftControlAndOptionChordsPressTheirModifiersAroundTheKey)
{
    EXPECT_EQ(press(0, flag::shift), (KeyTransitions{down(KEY_LEFTSHIFT), down(KEY_A)}));
    EXPECT_EQ(release(0, flag::shift), (KeyTransitions{up(KEY_A), up(KEY_LEFTSHIFT)}));
    // Command and Control together are one Ctrl.
    const platform::EventFlags all = flag::command | flag::control | flag::option | flag::shift;
    EXPECT_EQ(press(49, all), (KeyTransitions{down(KEY_LEFTCTRL), down(KEY_LEFTALT), down(KEY_LEFTSHIFT), down(KEY_SPACE)}));
    EXPECT_EQ(release(49, all), (KeyTransitions{up(KEY_SPACE), up(KEY_LEFTSHIFT), up(KEY_LEFTALT), up(KEY_LEFTCTRL)}));
    // No flags, or no modifier bit among them: the key alone.
    EXPECT_EQ(press(36, std::nullopt), (KeyTransitions{down(KEY_ENTER)}));
    EXPECT_EQ(release(36, 0x800000), (KeyTransitions{up(KEY_ENTER)}));
}

TEST_F(ChordTranslatorTest, ModifiersAreReleasedOnlyByWhatPressedThem)
{
    // A chord whose key-up never came leaves no stale modifier on the next one.
    press(9, flag::command);
    EXPECT_EQ(press(0, flag::shift), (KeyTransitions{up(KEY_LEFTCTRL), down(KEY_LEFTSHIFT), down(KEY_A)}));
    EXPECT_EQ(release(0, flag::shift), (KeyTransitions{up(KEY_A), up(KEY_LEFTSHIFT)}));
    // Shift held by its own key outlasts a chord that also wants it.
    EXPECT_EQ(press(56, std::nullopt), (KeyTransitions{down(KEY_LEFTSHIFT)}));
    EXPECT_EQ(press(0, flag::shift), (KeyTransitions{down(KEY_A)}));
    EXPECT_EQ(release(0, flag::shift), (KeyTransitions{up(KEY_A)}));
    EXPECT_EQ(release(56, std::nullopt), (KeyTransitions{up(KEY_LEFTSHIFT)}));
    EXPECT_EQ(release(56, std::nullopt), KeyTransitions{});
}

TEST_F(ChordTranslatorTest, CommandHeldWithTabHoldsAltUntilTheCommandRelease)
{
    EXPECT_EQ(press(55, flag::command), (KeyTransitions{down(KEY_LEFTALT)}));
    EXPECT_EQ(press(48, flag::command), (KeyTransitions{down(KEY_TAB)}));
    EXPECT_EQ(release(48, flag::command), (KeyTransitions{up(KEY_TAB)}));
    // An Option chord during the hold neither presses nor releases the held Alt.
    EXPECT_EQ(press(0, flag::option), (KeyTransitions{down(KEY_A)}));
    EXPECT_EQ(release(0, flag::option), (KeyTransitions{up(KEY_A)}));
    EXPECT_EQ(release(55, std::nullopt), (KeyTransitions{up(KEY_LEFTALT)}));
}

TEST_F(ChordTranslatorTest, TwoSwitcherHoldsReleaseAltExactlyOnce)
{
    for (int hold = 0; hold < 2; ++hold) {
        press(55, flag::command);
        EXPECT_EQ(press(48, flag::command), (KeyTransitions{down(KEY_TAB)}));
        release(48, flag::command);
    }
    EXPECT_EQ(release(55, std::nullopt), (KeyTransitions{up(KEY_LEFTALT)}));
    EXPECT_EQ(release(55, std::nullopt), KeyTransitions{});
    EXPECT_EQ(press(9, flag::command), (KeyTransitions{down(KEY_LEFTCTRL), down(KEY_V)}));  // Ctrl again

    t.reset();  // a new keyboard: nothing is held any more
    EXPECT_EQ(release(9, flag::command), (KeyTransitions{up(KEY_V)}));
}

TEST_F(ChordTranslatorTest, EveryMediaKeyTypeGoesDownAndUp)
{
    const std::pair<std::int64_t, std::uint16_t> mediaKeys[] = {
        {16, KEY_PLAYPAUSE}, {17, KEY_NEXTSONG}, {18, KEY_PREVIOUSSONG},
        {7, KEY_MUTE},       {0, KEY_VOLUMEUP},  {1, KEY_VOLUMEDOWN},
    };
    for (const auto& [keyType, evdevKey] : mediaKeys) {
        EXPECT_EQ(ChordTranslator::translate(mediaEvent(keyType, 10)), (KeyTransitions{down(evdevKey)})) << keyType;
        EXPECT_EQ(ChordTranslator::translate(mediaEvent(keyType, 11)), (KeyTransitions{up(evdevKey)})) << keyType;
    }
}

TEST_F(ChordTranslatorTest, UnknownKeysAndEventsTranslateToNothing)
{
    for (platform::VirtualKeyCode code : {52, 63, 66, 108, 127, 200, 0xFFFF}) {
        EXPECT_FALSE(press(code, flag::command)) << code;
        EXPECT_FALSE(release(code, flag::command)) << code;
    }
    EXPECT_EQ(press(0, std::nullopt), (KeyTransitions{down(KEY_A)}));  // nothing was held for them

    EXPECT_FALSE(ChordTranslator::translate(mediaEvent(99, 10)));  // unknown key type
    EXPECT_FALSE(ChordTranslator::translate(mediaEvent(16, 12)));  // neither down nor up
    auto otherSubtype = mediaEvent(16, 10);
    otherSubtype.subtype = 7;
    auto otherType = mediaEvent(16, 10);
    otherType.type = 15;
    EXPECT_FALSE(ChordTranslator::translate(otherSubtype));
    EXPECT_FALSE(ChordTranslator::translate(otherType));
}

}  // namespace
}  // namespace quorvel::linux_backend
