// The permission prompt's notification against a mock notification service on a private
// session bus (python3-dbusmock's notification_daemon template).
#include <gio/gio.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/prctl.h>

#include <csignal>

#include <cerrno>
#include <memory>
#include <string>
#include <vector>

#include "platform/linux/input/GDBusDesktopNotifier.h"
#include "platform/linux/input/PermissionPrompt.h"
#include "tests/fakes/FakeClockAndLog.h"
#include "tests/linux/input/GLibLoop.h"
#include "tests/linux/input/InputFakes.h"

namespace quorvel::linux_backend {
namespace {

struct Unref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
struct VariantUnref {
    void operator()(GVariant* variant) const { g_variant_unref(variant); }
};
using Variant = std::unique_ptr<GVariant, VariantUnref>;

std::string text(GVariant* value)
{
    if (g_variant_is_of_type(value, G_VARIANT_TYPE_STRING)) return g_variant_get_string(value, nullptr);
    const std::unique_ptr<gchar, decltype(&g_free)> printed(g_variant_print(value, TRUE), g_free);
    return printed.get();
}

// A helper process that dies with the test, however the test ends.
GSubprocess* spawn(GSubprocessFlags flags, std::vector<const char*> argv)
{
    const std::unique_ptr<GSubprocessLauncher, Unref> launcher(g_subprocess_launcher_new(flags));
    g_subprocess_launcher_set_child_setup(
        launcher.get(), [](gpointer) { ::prctl(PR_SET_PDEATHSIG, SIGKILL); }, nullptr, nullptr);
    argv.push_back(nullptr);
    return g_subprocess_launcher_spawnv(launcher.get(), argv.data(), nullptr);
}

class NotificationServiceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        daemon_.reset(spawn(G_SUBPROCESS_FLAGS_STDOUT_PIPE, {"dbus-daemon", "--session", "--nofork", "--print-address=1"}));
        if (!daemon_) GTEST_SKIP() << "dbus-daemon cannot be started";
        const std::unique_ptr<GDataInputStream, Unref> output(
            g_data_input_stream_new(g_subprocess_get_stdout_pipe(daemon_.get())));
        const std::unique_ptr<char, decltype(&g_free)> address(
            g_data_input_stream_read_line(output.get(), nullptr, nullptr, nullptr), g_free);
        ASSERT_TRUE(address) << "dbus-daemon printed no address";
        g_setenv("DBUS_SESSION_BUS_ADDRESS", address.get(), TRUE);
        observer_.reset(g_dbus_connection_new_for_address_sync(
            address.get(),
            static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                              G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
            nullptr, nullptr, nullptr));
        ASSERT_TRUE(observer_);

        mock_.reset(spawn(G_SUBPROCESS_FLAGS_NONE, {"/usr/bin/python3", "-m", "dbusmock", "--template", "notification_daemon"}));
        ASSERT_TRUE(mock_) << "/usr/bin/python3 cannot be started";
        bool owned = false;
        const guint watch = g_bus_watch_name_on_connection(
            observer_.get(), "org.freedesktop.Notifications", G_BUS_NAME_WATCHER_FLAGS_NONE,
            [](GDBusConnection*, const gchar*, const gchar*, gpointer flag) { *static_cast<bool*>(flag) = true; },
            nullptr, &owned, nullptr);
        // The exit callback may come after this test: it holds its own share of the flag.
        auto exited = std::make_shared<bool>(false);
        g_subprocess_wait_async(
            mock_.get(), nullptr,
            [](GObject*, GAsyncResult*, gpointer box) {
                const std::unique_ptr<std::shared_ptr<bool>> flag(static_cast<std::shared_ptr<bool>*>(box));
                **flag = true;
            },
            std::make_unique<std::shared_ptr<bool>>(exited).release());
        testing::iterateMainContextUntil([&] { return owned || *exited; });
        g_bus_unwatch_name(watch);
        if (!owned) GTEST_SKIP() << "python3-dbusmock's notification_daemon template did not start";
    }

    void TearDown() override
    {
        // Killed here and now: GLib would send the signal later from its worker thread, and a
        // bus left running keeps the test runner waiting for its output to end.
        for (auto* process : {mock_.get(), daemon_.get()}) {
            if (!process || !g_subprocess_get_identifier(process)) continue;
            ::kill(static_cast<pid_t>(std::stol(g_subprocess_get_identifier(process))), SIGKILL);
            g_subprocess_wait(process, nullptr, nullptr);
        }
        g_unsetenv("DBUS_SESSION_BUS_ADDRESS");
    }

    // The arguments of every Notify call the mock service received, as text.
    std::vector<std::vector<std::string>> notifyCalls()
    {
        const Variant reply(g_dbus_connection_call_sync(
            observer_.get(), "org.freedesktop.Notifications", "/org/freedesktop/Notifications",
            "org.freedesktop.DBus.Mock", "GetCalls", nullptr, G_VARIANT_TYPE("(a(tsav))"), G_DBUS_CALL_FLAGS_NONE,
            10'000, nullptr, nullptr));
        std::vector<std::vector<std::string>> calls;
        if (!reply) return calls;
        const Variant list(g_variant_get_child_value(reply.get(), 0));
        for (gsize i = 0; i < g_variant_n_children(list.get()); ++i) {
            const Variant call(g_variant_get_child_value(list.get(), i));
            const Variant method(g_variant_get_child_value(call.get(), 1));
            if (text(method.get()) != "Notify") continue;
            const Variant arguments(g_variant_get_child_value(call.get(), 2));
            std::vector<std::string> texts;
            for (gsize a = 0; a < g_variant_n_children(arguments.get()); ++a) {
                const Variant boxed(g_variant_get_child_value(arguments.get(), a));
                const Variant value(g_variant_get_variant(boxed.get()));
                texts.push_back(text(value.get()));
            }
            calls.push_back(texts);
        }
        return calls;
    }

    // Sends a notification and waits for the service's answer.
    std::optional<std::uint32_t> notifyAndWait(GDBusDesktopNotifier& notifier, const DesktopNotification& message)
    {
        bool answered = false;
        std::optional<std::uint32_t> id;
        EXPECT_TRUE(notifier.notify(message, [&](std::optional<std::uint32_t> given) {
            answered = true;
            id = given;
        }));
        EXPECT_TRUE(testing::iterateMainContextUntil([&] { return answered; }));
        return id;
    }

    testing::CapturingLog log;
    platform::Logger logger{log, "Quorvel", "Helper"};

private:
    std::unique_ptr<GSubprocess, Unref> daemon_;
    std::unique_ptr<GSubprocess, Unref> mock_;
    std::unique_ptr<GDBusConnection, Unref> observer_;
};

TEST_F(NotificationServiceTest, NotifyNamesTheAgentAndReplacesItsPreviousNotification)
{
    GDBusDesktopNotifier notifier(logger);
    EXPECT_EQ(notifyAndWait(notifier, {"First summary", "First body"}), 1U);
    EXPECT_EQ(notifyAndWait(notifier, {"Second summary", "Second body"}), 1U);

    const auto calls = notifyCalls();
    ASSERT_EQ(calls.size(), 2U);
    EXPECT_EQ(calls[0], (std::vector<std::string>{"Quorvel", "uint32 0", "input-keyboard", "First summary",
                                                  "First body", "@as []", "{'urgency': <byte 0x01>}", "-1"}));
    EXPECT_EQ(calls[1][1], "uint32 1");  // replaces the first
    EXPECT_EQ(calls[1][3], "Second summary");
    EXPECT_TRUE(log.records.empty());
}

TEST_F(NotificationServiceTest, ThePermissionPromptReachesTheDesktopAtMostOnceAMinute)
{
    GDBusDesktopNotifier notifier(logger);
    testing::ManualMonotonicClock clock;
    PermissionPrompt prompt(notifier, clock, logger);
    prompt.request(EACCES);
    clock.advance(30);
    prompt.request(EACCES);
    clock.advance(31);
    prompt.request(EACCES);
    // One more notification of our own: once it is answered, every earlier one has been seen.
    notifyAndWait(notifier, {"Barrier", ""});

    const auto calls = notifyCalls();
    ASSERT_EQ(calls.size(), 3U);
    const DesktopNotification expected = permissionNotification(EACCES, uinputGroupName());
    for (int i : {0, 1}) {
        EXPECT_EQ(calls[i][3], expected.summary);
        EXPECT_EQ(calls[i][4], expected.body);
    }
    EXPECT_EQ(calls[2][3], "Barrier");
    EXPECT_EQ(log.messages(), std::vector<std::string>(3, "Cannot post input events: no write access to /dev/uinput"));
}

TEST(DesktopNotificationWithoutBus, OnlyTheLogLineIsWritten)
{
    g_setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/quorvel-test-bus", TRUE);
    g_unsetenv("XDG_RUNTIME_DIR");
    testing::CapturingLog log;
    platform::Logger logger(log, "Quorvel", "Helper");
    GDBusDesktopNotifier notifier(logger);
    testing::ManualMonotonicClock clock;
    PermissionPrompt prompt(notifier, clock, logger);

    EXPECT_FALSE(notifier.notify({"Summary", "Body"}));
    prompt.request(ENOENT);
    EXPECT_EQ(log.messages(), std::vector<std::string>{"Cannot post input events: /dev/uinput is missing (the "
                                                       "uinput kernel module is not loaded)"});
    g_unsetenv("DBUS_SESSION_BUS_ADDRESS");
}

}  // namespace
}  // namespace quorvel::linux_backend
