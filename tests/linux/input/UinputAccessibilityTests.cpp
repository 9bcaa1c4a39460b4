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
    std::optional<VirtualKeyboardSlot> slot;
    std::optional<PermissionPrompt> prompt;
    std::optional<UinputAccessibility> accessibility;

    // The agent starts with or without access to /dev/uinput.
    void start(int uinputError)
    {
        factory.failWith = uinputError;
        slot.emplace(factory);
        prompt.emplace(notifier, clock, platform::Logger(log, "Quorvel", "Helper"));
        accessibility.emplace(*slot, *prompt);
    }
};

TEST_F(UinputAccessibilityTest, TrustIsTheVirtualKeyboardAndGrantingTakesEffectAtTheNextCheck)
{
    start(EACCES);
    EXPECT_FALSE(accessibility->isProcessTrusted());
    EXPECT_FALSE(accessibility->isProcessTrustedWithOptions({{platform::trustedCheckOptionPrompt, false}}));
    EXPECT_TRUE(log.records.empty());  // no prompt without the option

    factory.failWith = 0;
    EXPECT_TRUE(accessibility->isProcessTrustedWithOptions(promptOptions));
    EXPECT_TRUE(notifier.shown.empty());
    EXPECT_TRUE(log.records.empty());
}

TEST_F(UinputAccessibilityTest, PromptLogsWhyAndTellsHowToGrantAccessAtMostOnceAMinute)
{
    start(EACCES);
    EXPECT_FALSE(accessibility->isProcessTrustedWithOptions(promptOptions));
    ASSERT_EQ(log.records.size(), 1U);
    EXPECT_EQ(log.records[0], (testing::LogRecord{platform::LogLevel::error, "Quorvel", "Helper",
                                                  "Cannot post input events: %s",
                                                  "Cannot post input events: no write access to /dev/uinput"}));
    ASSERT_EQ(notifier.shown.size(), 1U);
    EXPECT_THAT(notifier.shown[0].body, HasSubstr("70-quorvel.rules"));
    EXPECT_THAT(notifier.shown[0].body, HasSubstr("log in again"));

    clock.advance(59.9);
    accessibility->isProcessTrustedWithOptions(promptOptions);
    EXPECT_EQ(notifier.shown.size(), 1U);
    clock.advance(0.1);  // a minute after the first
    accessibility->isProcessTrustedWithOptions(promptOptions);
    EXPECT_EQ(notifier.shown.size(), 2U);
    EXPECT_EQ(log.records.size(), 3U);  // every refused action is logged
}

TEST_F(UinputAccessibilityTest, WithoutANotificationServiceOnlyTheLogLineIsWrittenAndTheNextRequestTriesAgain)
{
    start(EACCES);
    notifier.available = false;
    accessibility->isProcessTrustedWithOptions(promptOptions);
    EXPECT_EQ(log.records.size(), 1U);
    notifier.available = true;
    clock.advance(1);
    accessibility->isProcessTrustedWithOptions(promptOptions);
    EXPECT_EQ(notifier.shown.size(), 1U);
}

TEST(PermissionNotification, SaysWhatToDoForTheCauseAtHand)
{
    EXPECT_THAT(permissionNotification(EACCES, std::string("input")).body, HasSubstr("join the group \"input\""));
    EXPECT_THAT(permissionNotification(EACCES, std::nullopt).body, Not(HasSubstr("group")));
    EXPECT_THAT(permissionNotification(ENOENT, std::string("input")).body, HasSubstr("uinput kernel module"));
}

}  // namespace
}  // namespace quorvel::linux_backend
