#include <gtest/gtest.h>
#include <linux/input-event-codes.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <variant>

#include "platform/linux/input/UinputEventTap.h"
#include "platform/linux/input/UinputKeyboard.h"
#include "tests/linux/input/InputFakes.h"

namespace quorvel::linux_backend {
namespace {

using testing::WrittenEvent;
using Events = std::vector<WrittenEvent>;
namespace flag = platform::event_flag;

constexpr auto hid = platform::EventSourceState::hidSystemState;
constexpr auto tap = platform::EventTapLocation::hidEventTap;

WrittenEvent key(std::uint16_t code, bool pressed) { return {EV_KEY, code, pressed ? 1 : 0}; }
WrittenEvent syn() { return {EV_SYN, SYN_REPORT, 0}; }

platform::SystemDefinedEvent media(std::int64_t data1)
{
    platform::SystemDefinedEvent event;
    event.data1 = data1;
    return event;
}

TEST(UinputEventTap, PostsKeysWithASyncReportAfterEachOnTheKeyboardMadeAtStart)
{
    testing::RecordingKeyboardFactory factory;
    VirtualKeyboardSlot slot(factory);
    EXPECT_EQ(factory.created, 1);
    UinputEventTap eventTap(slot);
    EXPECT_TRUE(eventTap.postKeyboardEvent(hid, tap, {9, true, flag::command}));
    EXPECT_TRUE(eventTap.postKeyboardEvent(hid, tap, {9, false, flag::command}));
    EXPECT_TRUE(eventTap.postSystemDefinedEvent(tap, media(1 * 65536 + 10 * 256)));
    EXPECT_TRUE(eventTap.postSystemDefinedEvent(tap, media(1 * 65536 + 11 * 256)));
    EXPECT_EQ(factory.written, (Events{key(KEY_LEFTCTRL, true), syn(), key(KEY_V, true), syn(), key(KEY_V, false),
                                       syn(), key(KEY_LEFTCTRL, false), syn(), key(KEY_VOLUMEDOWN, true), syn(),
                                       key(KEY_VOLUMEDOWN, false), syn()}));
    EXPECT_EQ(factory.attempts, 1);

    EXPECT_FALSE(eventTap.postKeyboardEvent(hid, tap, {52, true, flag::command}));
    EXPECT_FALSE(eventTap.postSystemDefinedEvent(tap, media(42 * 65536 + 10 * 256)));
    EXPECT_EQ(factory.written.size(), 12U);  // unknown keys post nothing
}

TEST(UinputEventTap, AKeyboardThatCouldNotBeMadeIsMadeAtTheNextAction)
{
    testing::RecordingKeyboardFactory factory;
    factory.failWith = EACCES;
    VirtualKeyboardSlot slot(factory);
    UinputEventTap eventTap(slot);
    EXPECT_FALSE(eventTap.postKeyboardEvent(hid, tap, {0, true, std::nullopt}));
    EXPECT_EQ(slot.lastError(), EACCES);

    factory.failWith = 0;  // access granted
    EXPECT_TRUE(eventTap.postKeyboardEvent(hid, tap, {0, true, std::nullopt}));
    EXPECT_EQ(factory.written, (Events{key(KEY_A, true), syn()}));
}

TEST(UinputEventTap, AKeyboardThatStopsTakingEventsIsReplacedWithNothingHeldOnIt)
{
    testing::RecordingKeyboardFactory factory;
    VirtualKeyboardSlot slot(factory);
    UinputEventTap eventTap(slot);
    EXPECT_TRUE(eventTap.postKeyboardEvent(hid, tap, {55, true, flag::command}));  // Alt held on keyboard 1
    factory.refuseWritesOf = 1;
    EXPECT_FALSE(eventTap.postKeyboardEvent(hid, tap, {48, true, flag::command}));

    factory.written.clear();
    // Keyboard 2 never saw Alt go down: the Command release has nothing to let go of, and a
    // Command chord is Ctrl again.
    EXPECT_TRUE(eventTap.postKeyboardEvent(hid, tap, {55, false, std::nullopt}));
    EXPECT_TRUE(eventTap.postKeyboardEvent(hid, tap, {9, true, flag::command}));
    EXPECT_EQ(factory.created, 2);
    EXPECT_EQ(factory.written, (Events{key(KEY_LEFTCTRL, true), syn(), key(KEY_V, true), syn()}));
}

// The real device. /dev/uinput is often absent in containers and CI; then only the
// reported reason can be checked.
TEST(UinputKeyboardFactory, MakesARealKeyboardOrSaysWhyNot)
{
    VirtualKeyboardCreation creation = UinputKeyboardFactory().create();
    struct stat status {};
    if (::stat("/dev/uinput", &status) != 0) {
        ASSERT_TRUE(std::holds_alternative<CreationError>(creation));
        EXPECT_EQ(std::get<CreationError>(creation).error, ENOENT);
        GTEST_SKIP() << "/dev/uinput is absent on this machine (no uinput module); only the error was checked";
    }
    if (auto* failure = std::get_if<CreationError>(&creation)) {
        EXPECT_TRUE(failure->error == EACCES || failure->error == EPERM) << std::strerror(failure->error);
        GTEST_SKIP() << "/dev/uinput is not writable by this user: " << std::strerror(failure->error);
    }
    auto& keyboard = *std::get<std::unique_ptr<VirtualKeyboard>>(creation);
    EXPECT_TRUE(keyboard.write(EV_KEY, KEY_F20, 1));
    EXPECT_TRUE(keyboard.write(EV_SYN, SYN_REPORT, 0));
    EXPECT_TRUE(keyboard.write(EV_KEY, KEY_F20, 0));
    EXPECT_TRUE(keyboard.write(EV_SYN, SYN_REPORT, 0));
}

}  // namespace
}  // namespace quorvel::linux_backend
