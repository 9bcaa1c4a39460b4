// Chords and media keys as the desktop receives them: through the event tap onto a
// recording virtual keyboard.
#include <gtest/gtest.h>
#include <linux/input-event-codes.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/linux/input/UinputEventTap.h"
#include "platform/linux/input/UinputKeyboard.h"
#include "tests/linux/input/InputFakes.h"

namespace quorvel::linux_backend {
namespace {

namespace flag = platform::event_flag;
using T = KeyTransitions;
using Events = std::vector<testing::WrittenEvent>;
constexpr auto cmd = flag::command;
constexpr auto all = cmd | flag::control | flag::option | flag::shift;
constexpr auto none = std::nullopt;
KeyTransition d(std::uint16_t code) { return {code, true}; }
KeyTransition u(std::uint16_t code) { return {code, false}; }

// Each key transition followed by its SYN_REPORT.
Events written(const T& transitions)
{
    Events events;
    for (const auto& [code, pressed] : transitions)
        events.insert(events.end(), {{EV_KEY, code, pressed}, {EV_SYN, SYN_REPORT, 0}});
    return events;
}

constexpr auto hid = platform::EventSourceState::hidSystemState;
constexpr auto at = platform::EventTapLocation::hidEventTap;

struct Rig {
    bool post(const platform::KeyboardEvent& event) { return tap.postKeyboardEvent(hid, at, event); }
    bool media(std::int64_t type, std::int64_t state)
    {
        return tap.postSystemDefinedEvent(at, {.data1 = type * 65536 + state * 256});
    }
    testing::RecordingKeyboardFactory factory;
    VirtualKeyboardSlot slot{factory};
    UinputEventTap tap{slot};
};

// Key events and what each must press and release; nothing is posted for a key without a PC key.
using Step = std::pair<platform::KeyboardEvent, std::optional<KeyTransitions>>;
const std::pair<const char*, std::vector<Step>> sequences[] = {
    {"paste", {{{9, true, cmd}, T{d(KEY_LEFTCTRL), d(KEY_V)}}, {{9, false, cmd}, T{u(KEY_V), u(KEY_LEFTCTRL)}}}},
    // Outside the paste chord Command is the logo key (a desktop's Super+Space); in it, Command and Control are one Ctrl.
    {"every modifier", {{{49, true, all}, T{d(KEY_LEFTCTRL), d(KEY_LEFTALT), d(KEY_LEFTSHIFT), d(KEY_LEFTMETA), d(KEY_SPACE)}},
                        {{49, false, all}, T{u(KEY_SPACE), u(KEY_LEFTMETA), u(KEY_LEFTSHIFT), u(KEY_LEFTALT), u(KEY_LEFTCTRL)}},
                        {{9, true, all}, T{d(KEY_LEFTCTRL), d(KEY_LEFTALT), d(KEY_LEFTSHIFT), d(KEY_V)}}}},
    {"no modifier among the flags", {{{36, true, none}, T{d(KEY_ENTER)}}, {{36, false, 0x800000}, T{u(KEY_ENTER)}}}},
    // A chord whose key-up never came leaves no stale Ctrl; Shift held by its own key outlasts a chord.
    {"stale and held modifiers",
     {{{9, true, cmd}, T{d(KEY_LEFTCTRL), d(KEY_V)}},
      {{0, true, flag::shift}, T{u(KEY_LEFTCTRL), d(KEY_LEFTSHIFT), d(KEY_A)}},
      {{0, false, flag::shift}, T{u(KEY_A), u(KEY_LEFTSHIFT)}}, {{56, true, none}, T{d(KEY_LEFTSHIFT)}},
      {{0, true, flag::shift}, T{d(KEY_A)}}, {{0, false, flag::shift}, T{u(KEY_A)}},
      {{56, false, none}, T{u(KEY_LEFTSHIFT)}}, {{56, false, none}, T{}}}},
    // The application switcher: Alt stays down from the first Command press to the Command release.
    {"switcher holds with an Option chord inside",
     {{{55, true, cmd}, T{d(KEY_LEFTALT)}}, {{48, true, cmd}, T{d(KEY_TAB)}}, {{48, false, cmd}, T{u(KEY_TAB)}},
      {{0, true, flag::option}, T{d(KEY_A)}}, {{0, false, flag::option}, T{u(KEY_A)}}, {{55, true, cmd}, T{}},
      {{48, true, cmd}, T{d(KEY_TAB)}}, {{48, false, cmd}, T{u(KEY_TAB)}}, {{55, false, none}, T{u(KEY_LEFTALT)}},
      {{55, false, none}, T{}}, {{9, true, cmd}, T{d(KEY_LEFTCTRL), d(KEY_V)}}}},
    {"unknown keys post and hold nothing",
     {{{52, true, cmd}, none}, {{52, false, cmd}, none}, {{63, true, cmd}, none}, {{108, true, cmd}, none},
      {{0xFFFF, true, cmd}, none}, {{0, true, none}, T{d(KEY_A)}}}},
};

TEST(UinputEventTap, PostsChordsAndTheSixMediaKeysOnTheKeyboardMadeAtStart)
{
    for (const auto& [name, steps] : sequences) {
        Rig rig;
        for (const auto& [event, expected] : steps) {
            rig.factory.written.clear();
            EXPECT_EQ(rig.post(event), expected.has_value()) << name << ": " << event.keyCode << "/" << event.keyDown;
            EXPECT_EQ(rig.factory.written, written(expected.value_or(T{}))) << name << ", key " << event.keyCode;
        }
        EXPECT_EQ(rig.factory.created, 1) << name;
    }

    const std::pair<std::int64_t, std::uint16_t> mediaKeys[] = {{16, KEY_PLAYPAUSE}, {17, KEY_NEXTSONG},
                                                                {18, KEY_PREVIOUSSONG}, {7, KEY_MUTE},
                                                                {0, KEY_VOLUMEUP},      {1, KEY_VOLUMEDOWN}};
    Rig rig;
    EXPECT_FALSE(rig.media(99, 10));  // unknown key type
    EXPECT_FALSE(rig.media(16, 12));  // neither down nor up
    for (const auto& [keyType, key] : mediaKeys) {
        EXPECT_TRUE(rig.media(keyType, 10) && rig.media(keyType, 11)) << keyType;
        EXPECT_EQ(rig.factory.written, written({d(key), u(key)})) << keyType;
        rig.factory.written.clear();
    }
}

TEST(UinputEventTap, AKeyboardThatFailedIsMadeAgainAtTheNextActionWithNothingHeld)
{
    Rig rig;
    EXPECT_TRUE(rig.post({55, true, cmd}));
    rig.factory.refuseWrites = true;  // the device stops taking events, and no new one can be made
    rig.factory.failWith = EACCES;
    EXPECT_FALSE(rig.post({48, true, cmd}));
    rig.factory.refuseWrites = false;
    EXPECT_FALSE(rig.post({0, true, none}));

    rig.factory.failWith = 0;  // access granted
    rig.factory.written.clear();
    // The new keyboard never saw Alt go down: the Command release lets go of nothing.
    EXPECT_TRUE(rig.post({55, false, none}) && rig.post({9, true, cmd}));
    EXPECT_EQ(rig.factory.written, written({d(KEY_LEFTCTRL), d(KEY_V)}));
    EXPECT_EQ(rig.factory.created, 2);
}

// /dev/uinput is often absent in containers and CI; then only the reported reason is checked.
TEST(UinputKeyboardFactory, MakesARealKeyboardOrSaysWhyNot)
{
    VirtualKeyboardCreation creation = UinputKeyboardFactory().create();
    if (const auto* failure = std::get_if<CreationError>(&creation)) {
        const bool absent = ::access("/dev/uinput", F_OK) != 0;
        EXPECT_TRUE(absent ? failure->error == ENOENT : failure->error == EACCES || failure->error == EPERM)
            << std::strerror(failure->error);
        GTEST_SKIP() << (absent ? "/dev/uinput is absent (no uinput module)" : "/dev/uinput is not writable by us")
                     << "; only the reason for the failure was checked";
    }
    auto& keyboard = *std::get<std::unique_ptr<VirtualKeyboard>>(creation);
    EXPECT_TRUE(keyboard.write(EV_KEY, KEY_F20, 1) && keyboard.write(EV_SYN, SYN_REPORT, 0));
    EXPECT_TRUE(keyboard.write(EV_KEY, KEY_F20, 0) && keyboard.write(EV_SYN, SYN_REPORT, 0));
}

}  // namespace
}  // namespace quorvel::linux_backend
