#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>

#include "platform/linux/input/UinputAccessibility.h"
#include "tests/fakes/FakeClockAndLog.h"
#include "tests/linux/input/InputFakes.h"

namespace quorvel::linux_backend {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

const std::map<std::string, bool> promptOptions{{platform::trustedCheckOptionPrompt, true}};

class UinputAccessibilityTest : public ::testing::Test {
protected:
    testing::RecordingKeyboardFactory factory;
    testing::RecordingNotifier notifier;
    testing::ManualMonotonicClock clock;
    testing::CapturingLog log;

    struct Gate {
        Gate(UinputAccessibilityTest& test)
            : slot(test.factory),
              prompt(test.notifier, test.clock, platform::Logger(test.log, "Quorvel", "Helper")),
              accessibility(slot, prompt)
        {
        }
        VirtualKeyboardSlot slot;
        PermissionPrompt prompt;
        UinputAccessibility accessibility;
    };
};

TEST_F(UinputAccessibilityTest, TrustedWhenTheVirtualKeyboardExistsAndThenNothingIsShown)
{
    Gate gate(*this);
    EXPECT_TRUE(gate.accessibility.isProcessTrusted());
    EXPECT_TRUE(gate.accessibility.isProcessTrustedWithOptions(promptOptions));
    EXPECT_TRUE(notifier.shown.empty());
    EXPECT_TRUE(log.records.empty());
}

TEST_F(UinputAccessibilityTest, UntrustedCheckWithoutThePromptOptionShowsNothing)
{
    factory.failWith = EACCES;
    Gate gate(*this);
    EXPECT_FALSE(gate.accessibility.isProcessTrusted());
    EXPECT_FALSE(gate.accessibility.isProcessTrustedWithOptions({}));
    EXPECT_FALSE(gate.accessibility.isProcessTrustedWithOptions({{platform::trustedCheckOptionPrompt, false}}));
    EXPECT_TRUE(notifier.shown.empty());
    EXPECT_TRUE(log.records.empty());
}

TEST_F(UinputAccessibilityTest, PromptLogsWhyAndTellsHowToGrantAccess)
{
    factory.failWith = EACCES;
    Gate gate(*this);
    EXPECT_FALSE(gate.accessibility.isProcessTrustedWithOptions(promptOptions));

    ASSERT_EQ(log.records.size(), 1U);
    EXPECT_EQ(log.records[0].level, platform::LogLevel::error);
    EXPECT_EQ(log.records[0].subsystem, "Quorvel");
    EXPECT_EQ(log.records[0].category, "Helper");
    EXPECT_EQ(log.records[0].message, "Cannot post input events: no write access to /dev/uinput");
    ASSERT_EQ(notifier.shown.size(), 1U);
    EXPECT_THAT(notifier.shown[0].body, HasSubstr("70-quorvel.rules"));
    EXPECT_THAT(notifier.shown[0].body, HasSubstr("log in again"));
}

TEST_F(UinputAccessibilityTest, GrantingAccessTakesEffectAtTheNextCheck)
{
    factory.failWith = EACCES;
    Gate gate(*this);
    EXPECT_FALSE(gate.accessibility.isProcessTrusted());
    factory.failWith = 0;
    EXPECT_TRUE(gate.accessibility.isProcessTrustedWithOptions(promptOptions));
    EXPECT_TRUE(notifier.shown.empty());
}

TEST_F(UinputAccessibilityTest, TheNotificationIsShownAtMostOnceAMinuteWhileEveryRequestIsLogged)
{
    factory.failWith = EACCES;
    Gate gate(*this);
    gate.accessibility.isProcessTrustedWithOptions(promptOptions);
    clock.advance(59.9);
    gate.accessibility.isProcessTrustedWithOptions(promptOptions);
    EXPECT_EQ(notifier.shown.size(), 1U);
    clock.advance(0.1);  // a minute after the first
    gate.accessibility.isProcessTrustedWithOptions(promptOptions);
    EXPECT_EQ(notifier.shown.size(), 2U);
    EXPECT_EQ(log.records.size(), 3U);
}

TEST_F(UinputAccessibilityTest, WithoutANotificationServiceOnlyTheLogLineIsWrittenAndTheNextRequestTriesAgain)
{
    factory.failWith = EACCES;
    notifier.available = false;
    Gate gate(*this);
    gate.accessibility.isProcessTrustedWithOptions(promptOptions);
    EXPECT_EQ(log.records.size(), 1U);

    notifier.available = true;
    clock.advance(1);
    gate.accessibility.isProcessTrustedWithOptions(promptOptions);
    EXPECT_EQ(notifier.shown.size(), 1U);
}

TEST(PermissionNotification, SaysWhatToDoForTheCauseAtHand)
{
    const DesktopNotification denied = permissionNotification(EACCES, std::string("input"));
    EXPECT_THAT(denied.body, HasSubstr("write access to /dev/uinput"));
    EXPECT_THAT(denied.body, HasSubstr("group \"input\""));
    EXPECT_THAT(permissionNotification(EACCES, std::nullopt).body, Not(HasSubstr("group")));

    const DesktopNotification missing = permissionNotification(ENOENT, std::string("input"));
    EXPECT_THAT(missing.body, HasSubstr("uinput kernel module"));
    EXPECT_FALSE(missing.summary.empty());
}

}  // namespace
}  // namespace quorvel::linux_backend
