#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <set>

#include "platform/linux/input/ChordTranslator.h"
#include "platform/linux/input/KeyCodeTable.h"

namespace quorvel::linux_backend {
namespace {

using platform::KeyboardEvent;
namespace flag = platform::event_flag;

KeyTransition down(std::uint16_t code) { return {code, true}; }
KeyTransition up(std::uint16_t code) { return {code, false}; }

KeyboardEvent keyDown(platform::VirtualKeyCode code, std::optional<platform::EventFlags> flags)
{
    return {code, true, flags};
}
KeyboardEvent keyUp(platform::VirtualKeyCode code, std::optional<platform::EventFlags> flags)
{
    return {code, false, flags};
}

platform::SystemDefinedEvent mediaEvent(std::int64_t keyType, std::int64_t state)
{
    platform::SystemDefinedEvent event;
    event.modifierFlags = static_cast<std::uint64_t>(state) * 256;
    event.data1 = keyType * 65536 + state * 256;
    return event;
}

// --- Key positions -------------------------------------------------------------------

TEST(KeyCodeTable, MapsKeysByTheirPositionOnTheKeyboard)
{
    const std::pair<platform::VirtualKeyCode, std::uint16_t> samples[] = {
        {0, KEY_A},      {1, KEY_S},         {2, KEY_D},      {6, KEY_Z},     {9, KEY_V},
        {12, KEY_Q},     {18, KEY_1},        {29, KEY_0},     {36, KEY_ENTER}, {48, KEY_TAB},
        {49, KEY_SPACE}, {50, KEY_GRAVE},    {51, KEY_BACKSPACE}, {53, KEY_ESC}, {117, KEY_DELETE},
        {122, KEY_F1},   {120, KEY_F2},      {96, KEY_F5},    {111, KEY_F12}, {123, KEY_LEFT},
        {124, KEY_RIGHT}, {125, KEY_DOWN},   {126, KEY_UP},   {76, KEY_KPENTER}, {82, KEY_KP0},
    };
    for (const auto& [virtualKey, evdevKey] : samples) {
        const auto mapping = keyMappingFor(virtualKey);
        ASSERT_TRUE(mapping) << "virtual key " << virtualKey;
        EXPECT_EQ(mapping->evdevCode, evdevKey) << "virtual key " << virtualKey;
    }
}

TEST(KeyCodeTable, GivesEveryOrdinaryKeyItsOwnPcKeyAndAnnouncesIt)
{
    std::set<std::uint16_t> seen;
    const std::vector<std::uint16_t> announced = allEvdevKeys();
    int ordinaryKeys = 0;
    for (int code = 0; code <= 0xFF; ++code) {
        const auto mapping = keyMappingFor(static_cast<platform::VirtualKeyCode>(code));
        if (!mapping) continue;
        EXPECT_NE(std::find(announced.begin(), announced.end(), mapping->evdevCode), announced.end()) << code;
        if (mapping->role != KeyRole::ordinary) continue;
        ++ordinaryKeys;
        EXPECT_TRUE(seen.insert(mapping->evdevCode).second) << "virtual key " << code << " repeats a PC key";
    }
    EXPECT_GE(ordinaryKeys, 100);  // the whole keyboard, not a sample
    EXPECT_NE(std::find(announced.begin(), announced.end(), KEY_LEFTCTRL), announced.end());
}

// --- Chords with flags ---------------------------------------------------------------

TEST(ChordTranslator, PasteWithCommandBecomesCtrlV)
{
    ChordTranslator translator;
    EXPECT_EQ(translator.translate(keyDown(9, flag::command)), (KeyTransitions{down(KEY_LEFTCTRL), down(KEY_V)}));
    EXPECT_EQ(translator.translate(keyUp(9, flag::command)), (KeyTransitions{up(KEY_V), up(KEY_LEFTCTRL)}));
}

TEST(ChordTranslator, ShiftControlAndOptionChordsPressTheirModifiersAroundTheKey)
{
    ChordTranslator translator;
    EXPECT_EQ(translator.translate(keyDown(0, flag::shift)), (KeyTransitions{down(KEY_LEFTSHIFT), down(KEY_A)}));
    EXPECT_EQ(translator.translate(keyUp(0, flag::shift)), (KeyTransitions{up(KEY_A), up(KEY_LEFTSHIFT)}));

    const platform::EventFlags all = flag::control | flag::option | flag::shift;
    EXPECT_EQ(translator.translate(keyDown(49, all)),
              (KeyTransitions{down(KEY_LEFTCTRL), down(KEY_LEFTALT), down(KEY_LEFTSHIFT), down(KEY_SPACE)}));
    EXPECT_EQ(translator.translate(keyUp(49, all)),
              (KeyTransitions{up(KEY_SPACE), up(KEY_LEFTSHIFT), up(KEY_LEFTALT), up(KEY_LEFTCTRL)}));
}

TEST(ChordTranslator, CommandAndControlTogetherPressCtrlOnce)
{
    ChordTranslator translator;
    const platform::EventFlags flags = flag::command | flag::control | flag::option;
    EXPECT_EQ(translator.translate(keyDown(49, flags)),
              (KeyTransitions{down(KEY_LEFTCTRL), down(KEY_LEFTALT), down(KEY_SPACE)}));
    EXPECT_EQ(translator.translate(keyUp(49, flags)),
              (KeyTransitions{up(KEY_SPACE), up(KEY_LEFTALT), up(KEY_LEFTCTRL)}));
}

TEST(ChordTranslator, KeysWithoutFlagsPressNoModifier)
{
    ChordTranslator translator;
    EXPECT_EQ(translator.translate(keyDown(36, std::nullopt)), (KeyTransitions{down(KEY_ENTER)}));
    EXPECT_EQ(translator.translate(keyUp(36, std::nullopt)), (KeyTransitions{up(KEY_ENTER)}));
    EXPECT_EQ(translator.translate(keyDown(36, 0x800000)), (KeyTransitions{down(KEY_ENTER)}));  // no modifier bit
}

TEST(ChordTranslator, AChordWhoseKeyUpNeverCameLeavesNoStaleModifierOnTheNext)
{
    ChordTranslator translator;
    translator.translate(keyDown(9, flag::command));
    EXPECT_EQ(translator.translate(keyDown(0, flag::shift)),
              (KeyTransitions{up(KEY_LEFTCTRL), down(KEY_LEFTSHIFT), down(KEY_A)}));
    EXPECT_EQ(translator.translate(keyUp(0, flag::shift)), (KeyTransitions{up(KEY_A), up(KEY_LEFTSHIFT)}));
}

TEST(ChordTranslator, AModifierHeldByItsOwnKeyOutlastsAChordThatAlsoWantsIt)
{
    ChordTranslator translator;
    EXPECT_EQ(translator.translate(keyDown(56, std::nullopt)), (KeyTransitions{down(KEY_LEFTSHIFT)}));
    EXPECT_EQ(translator.translate(keyDown(0, flag::shift)), (KeyTransitions{down(KEY_A)}));
    EXPECT_EQ(translator.translate(keyUp(0, flag::shift)), (KeyTransitions{up(KEY_A)}));
    EXPECT_EQ(translator.translate(keyUp(56, std::nullopt)), (KeyTransitions{up(KEY_LEFTSHIFT)}));
    EXPECT_EQ(translator.translate(keyUp(56, std::nullopt)), KeyTransitions{});
}

// --- The application switcher hold ---------------------------------------------------

TEST(ChordTranslator, CommandHeldWithTabHoldsAltUntilTheCommandRelease)
{
    ChordTranslator translator;
    EXPECT_EQ(translator.translate(keyDown(55, flag::command)), (KeyTransitions{down(KEY_LEFTALT)}));
    EXPECT_EQ(translator.translate(keyDown(48, flag::command)), (KeyTransitions{down(KEY_TAB)}));
    EXPECT_EQ(translator.translate(keyUp(48, flag::command)), (KeyTransitions{up(KEY_TAB)}));
    EXPECT_EQ(translator.translate(keyUp(55, std::nullopt)), (KeyTransitions{up(KEY_LEFTALT)}));
}

TEST(ChordTranslator, TwoSwitcherHoldsReleaseAltExactlyOnce)
{
    ChordTranslator translator;
    for (int hold = 0; hold < 2; ++hold) {
        translator.translate(keyDown(55, flag::command));
        translator.translate(keyDown(48, flag::command));
        EXPECT_EQ(translator.translate(keyUp(48, flag::command)), (KeyTransitions{up(KEY_TAB)}));
    }
    EXPECT_EQ(translator.translate(keyUp(55, std::nullopt)), (KeyTransitions{up(KEY_LEFTALT)}));
    EXPECT_EQ(translator.translate(keyUp(55, std::nullopt)), KeyTransitions{});
    // After the hold, Command in a chord is Ctrl again.
    EXPECT_EQ(translator.translate(keyDown(9, flag::command)), (KeyTransitions{down(KEY_LEFTCTRL), down(KEY_V)}));
}

TEST(ChordTranslator, AnOptionChordDuringTheHoldDoesNotReleaseTheHeldAlt)
{
    ChordTranslator translator;
    translator.translate(keyDown(55, flag::command));
    EXPECT_EQ(translator.translate(keyDown(0, flag::option)), (KeyTransitions{down(KEY_A)}));
    EXPECT_EQ(translator.translate(keyUp(0, flag::option)), (KeyTransitions{up(KEY_A)}));
    EXPECT_EQ(translator.translate(keyUp(55, std::nullopt)), (KeyTransitions{up(KEY_LEFTALT)}));
}

TEST(ChordTranslator, ResetForgetsHeldKeys)
{
    ChordTranslator translator;
    translator.translate(keyDown(55, flag::command));
    translator.reset();
    EXPECT_EQ(translator.translate(keyUp(55, std::nullopt)), KeyTransitions{});
}

// --- Media keys ----------------------------------------------------------------------

TEST(ChordTranslator, EveryMediaKeyTypeGoesDownAndUp)
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

// --- What has no PC key --------------------------------------------------------------

TEST(ChordTranslator, UnknownKeysAndEventsTranslateToNothing)
{
    ChordTranslator translator;
    for (platform::VirtualKeyCode code : {52, 63, 66, 108, 127, 200, 0xFFFF}) {
        EXPECT_FALSE(translator.translate(keyDown(code, flag::command))) << code;
        EXPECT_FALSE(translator.translate(keyUp(code, flag::command))) << code;
    }
    // Nothing was pressed for the refused chords.
    EXPECT_EQ(translator.translate(keyDown(0, std::nullopt)), (KeyTransitions{down(KEY_A)}));

    EXPECT_FALSE(ChordTranslator::translate(mediaEvent(99, 10)));  // unknown key type
    EXPECT_FALSE(ChordTranslator::translate(mediaEvent(16, 12)));  // neither down nor up
    auto otherSubtype = mediaEvent(16, 10);
    otherSubtype.subtype = 7;
    EXPECT_FALSE(ChordTranslator::translate(otherSubtype));
    auto otherType = mediaEvent(16, 10);
    otherType.type = 15;
    EXPECT_FALSE(ChordTranslator::translate(otherType));
}

}  // namespace
}  // namespace quorvel::linux_backend
