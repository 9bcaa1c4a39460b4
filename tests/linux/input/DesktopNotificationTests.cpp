// The permission prompt's notifications, against python3-dbusmock's notification_daemon
// template on a private session bus.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>

#include "platform/linux/input/GDBusDesktopNotifier.h"
#include "platform/linux/input/UinputAccessibility.h"
#include "tests/fakes/FakeClockAndLog.h"
#include "tests/linux/input/InputFakes.h"
#include "tests/linux/runtime/MainContextLoop.h"
#include "tests/linux/runtime/PrivateDBus.h"

namespace quorvel::linux_backend {
namespace {

using ::testing::HasSubstr;
constexpr const char* service = "org.freedesktop.Notifications";

// The arguments of every Notify call the mock received, printed.
std::vector<std::string> notifyCalls(testing::PrivateBus& bus)
{
    const GVariantPtr reply = bus.call(service, "/org/freedesktop/Notifications", testing::PrivateBus::mock,
                                       "GetMethodCalls", g_variant_new("(s)", "Notify"));
    std::vector<std::string> calls;
    GVariantIter* list = nullptr;
    GVariant* arguments = nullptr;
    if (reply) g_variant_get(reply.get(), "(a(tav))", &list);
    while (list && g_variant_iter_loop(list, "(t@av)", nullptr, &arguments))
        calls.emplace_back(GCharPtr(g_variant_print(arguments, FALSE)).get());
    if (list) g_variant_iter_free(list);
    return calls;
}

// Sends a notification and waits for its answer, which comes after those of earlier ones.
void notifyAndWait(GDBusDesktopNotifier& notifier, const DesktopNotification& message)
{
    bool answered = false;
    EXPECT_TRUE(notifier.notify(message, [&](std::optional<std::uint32_t>) { answered = true; }));
    EXPECT_TRUE(testing::iterateUntil([&] { return answered; }));
}

TEST(PermissionPrompt, NotifiesAtMostOnceAMinuteOnTheSessionBusUntilAccessIsGranted)
{
    if (const auto missing = testing::missingDBusTools()) GTEST_SKIP() << *missing;
    testing::PrivateBus bus;
    bus.startMock(service, false, {"--template", "notification_daemon"});
    g_setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/quorvel-test-bus", TRUE);

    testing::CapturingLog log;
    platform::Logger logger(log, "Quorvel", "Helper");
    testing::ManualMonotonicClock clock;
    testing::RecordingKeyboardFactory factory;
    factory.failWith = ENOENT;
    VirtualKeyboardSlot slot(factory);
    GDBusDesktopNotifier notifier(logger);
    PermissionPrompt prompt(notifier, clock, logger);
    UinputAccessibility accessibility(slot, prompt);
    const std::map<std::string, bool> ask{{platform::trustedCheckOptionPrompt, true}};

    EXPECT_FALSE(accessibility.isProcessTrustedWithOptions({{platform::trustedCheckOptionPrompt, false}}));
    EXPECT_TRUE(log.records.empty());
    EXPECT_FALSE(accessibility.isProcessTrustedWithOptions(ask));  // no bus: the log line only
    EXPECT_FALSE(notifier.notify({"Summary", "Body"}));

    g_setenv("DBUS_SESSION_BUS_ADDRESS", bus.address.c_str(), TRUE);
    notifyAndWait(notifier, {"First summary", "First body"});
    factory.failWith = EACCES;
    for (double wait : {1.0, 59.5, 0.5}) {  // shown at once (the failed attempt does not count), then a minute later
        clock.time += wait;
        EXPECT_FALSE(accessibility.isProcessTrustedWithOptions(ask));
    }
    factory.failWith = 0;  // granted: trusted at the next check, with no prompt
    EXPECT_TRUE(accessibility.isProcessTrustedWithOptions(ask));
    notifyAndWait(notifier, {"Barrier", ""});

    const DesktopNotification shown = permissionNotification(EACCES, uinputGroupName());
    const auto prompted = HasSubstr("<uint32 1>, <'input-keyboard'>, <'" + shown.summary + "'>, <'" + shown.body);
    const std::string first = "[<'Quorvel'>, <uint32 0>, <'input-keyboard'>, <'First summary'>, <'First body'>, "
                              "<@as []>, <{'urgency': <byte 0x01>}>, <-1>]";
    EXPECT_THAT(notifyCalls(bus), ::testing::ElementsAre(first, prompted, prompted, HasSubstr("<'Barrier'>")));
    const std::string rule = "install the udev rule 70-quorvel.rules that comes with Quorvel, then log out and in "
                             "again (see packaging/README.md)";
    std::vector<std::string> expectedLog(4, "Cannot post input events: no write access to /dev/uinput; " + rule);
    expectedLog[0] = "Cannot post input events: /dev/uinput is missing (the uinput kernel module is not loaded); "
                     "load the module with `sudo modprobe uinput` (and list \"uinput\" in /etc/modules-load.d), and " +
                     rule;
    EXPECT_EQ(log.messages(), expectedLog);
    g_unsetenv("DBUS_SESSION_BUS_ADDRESS");
}

TEST(PermissionNotification, SaysWhatToDoForTheCauseAtHand)
{
    EXPECT_THAT(permissionNotification(EACCES, "input").body,
                ::testing::AllOf(HasSubstr("70-quorvel.rules"), HasSubstr("join the group \"input\"")));
    EXPECT_THAT(permissionNotification(EACCES, std::nullopt).body, ::testing::Not(HasSubstr("group")));
    EXPECT_THAT(permissionNotification(ENOENT, std::nullopt).body, HasSubstr("uinput kernel module"));
}

}  // namespace
}  // namespace quorvel::linux_backend
