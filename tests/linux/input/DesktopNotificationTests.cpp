// The permission prompt's notification against a mock notification service on a private
// session bus (python3-dbusmock's notification_daemon template).
#include <gio/gio.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/linux/input/GDBusDesktopNotifier.h"
#include "platform/linux/input/PermissionPrompt.h"
#include "tests/fakes/FakeClockAndLog.h"
#include "tests/linux/input/GLibLoop.h"
#include "tests/linux/input/InputFakes.h"

namespace quorvel::linux_backend {
namespace {

using ::testing::HasSubstr;

struct Unref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
template <typename T>
using GObjectPtr = std::unique_ptr<T, Unref>;
struct VariantUnref {
    void operator()(GVariant* variant) const { g_variant_unref(variant); }
};
using VariantPtr = std::unique_ptr<GVariant, VariantUnref>;

// Sets an environment variable for one test and puts the old value back.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const char* value) : name_(name)
    {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value) {
            ::setenv(name, value, 1);
        } else {
            ::unsetenv(name);
        }
    }
    ~ScopedEnvironment()
    {
        if (old_) {
            ::setenv(name_, old_->c_str(), 1);
        } else {
            ::unsetenv(name_);
        }
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

struct MockCall {
    std::string method;
    VariantPtr arguments;  // av
    std::string text(gsize index) const
    {
        VariantPtr boxed(g_variant_get_child_value(arguments.get(), index));
        VariantPtr value(g_variant_get_variant(boxed.get()));
        if (g_variant_is_of_type(value.get(), G_VARIANT_TYPE_STRING)) return g_variant_get_string(value.get(), nullptr);
        gchar* printed = g_variant_print(value.get(), TRUE);
        std::string text = printed;
        g_free(printed);
        return text;
    }
};

class PrivateSessionBusTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        GError* error = nullptr;
        daemon_.reset(g_subprocess_new(G_SUBPROCESS_FLAGS_STDOUT_PIPE, &error, "dbus-daemon", "--session",
                                       "--nofork", "--print-address=1", nullptr));
        if (!daemon_) {
            std::string why = error->message;
            g_error_free(error);
            GTEST_SKIP() << "dbus-daemon cannot be started: " << why;
        }
        GObjectPtr<GDataInputStream> output(g_data_input_stream_new(g_subprocess_get_stdout_pipe(daemon_.get())));
        char* line = g_data_input_stream_read_line(output.get(), nullptr, nullptr, nullptr);
        ASSERT_NE(line, nullptr) << "dbus-daemon printed no address";
        address_ = line;
        g_free(line);
        environment_.emplace("DBUS_SESSION_BUS_ADDRESS", address_.c_str());
        observer_.reset(g_dbus_connection_new_for_address_sync(
            address_.c_str(),
            static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                              G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
            nullptr, nullptr, nullptr));
        ASSERT_TRUE(observer_);
    }

    void TearDown() override
    {
        if (mock_) g_subprocess_force_exit(mock_.get());
        if (daemon_) g_subprocess_force_exit(daemon_.get());
    }

    // Starts the mock notification service and waits until it owns its name.
    void startNotificationService()
    {
        GObjectPtr<GSubprocessLauncher> launcher(g_subprocess_launcher_new(G_SUBPROCESS_FLAGS_NONE));
        g_subprocess_launcher_setenv(launcher.get(), "DBUS_SESSION_BUS_ADDRESS", address_.c_str(), TRUE);
        mock_.reset(g_subprocess_launcher_spawn(launcher.get(), nullptr, "/usr/bin/python3", "-m", "dbusmock",
                                                "--template", "notification_daemon", nullptr));
        ASSERT_TRUE(mock_) << "/usr/bin/python3 cannot be started";
        bool owned = false;
        bool exited = false;
        const guint watch = g_bus_watch_name_on_connection(
            observer_.get(), "org.freedesktop.Notifications", G_BUS_NAME_WATCHER_FLAGS_NONE,
            [](GDBusConnection*, const gchar*, const gchar*, gpointer flag) { *static_cast<bool*>(flag) = true; },
            nullptr, &owned, nullptr);
        g_subprocess_wait_async(
            mock_.get(), nullptr,
            [](GObject*, GAsyncResult*, gpointer flag) { *static_cast<bool*>(flag) = true; }, &exited);
        testing::iterateMainContextUntil([&] { return owned || exited; });
        g_bus_unwatch_name(watch);
        if (!owned) GTEST_SKIP() << "python3-dbusmock's notification_daemon template did not start";
    }

    std::vector<MockCall> notifyCalls()
    {
        VariantPtr reply(g_dbus_connection_call_sync(observer_.get(), "org.freedesktop.Notifications",
                                                     "/org/freedesktop/Notifications", "org.freedesktop.DBus.Mock",
                                                     "GetCalls", nullptr, G_VARIANT_TYPE("(a(tsav))"),
                                                     G_DBUS_CALL_FLAGS_NONE, 10'000, nullptr, nullptr));
        std::vector<MockCall> calls;
        if (!reply) return calls;
        VariantPtr list(g_variant_get_child_value(reply.get(), 0));
        for (gsize i = 0; i < g_variant_n_children(list.get()); ++i) {
            VariantPtr call(g_variant_get_child_value(list.get(), i));
            VariantPtr method(g_variant_get_child_value(call.get(), 1));
            if (std::string(g_variant_get_string(method.get(), nullptr)) != "Notify") continue;
            calls.push_back({"Notify", VariantPtr(g_variant_get_child_value(call.get(), 2))});
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
    GObjectPtr<GSubprocess> daemon_;
    GObjectPtr<GSubprocess> mock_;
    GObjectPtr<GDBusConnection> observer_;
    std::string address_;
    std::optional<ScopedEnvironment> environment_;
};

TEST_F(PrivateSessionBusTest, NotifyNamesTheAgentAndReplacesItsPreviousNotification)
{
    startNotificationService();
    GDBusDesktopNotifier notifier(logger);
    EXPECT_EQ(notifyAndWait(notifier, {"First summary", "First body"}), 1U);
    EXPECT_EQ(notifyAndWait(notifier, {"Second summary", "Second body"}), 1U);

    const std::vector<MockCall> calls = notifyCalls();
    ASSERT_EQ(calls.size(), 2U);
    EXPECT_EQ(calls[0].text(0), "Quorvel");
    EXPECT_EQ(calls[0].text(1), "uint32 0");
    EXPECT_EQ(calls[0].text(3), "First summary");
    EXPECT_EQ(calls[0].text(4), "First body");
    EXPECT_EQ(calls[0].text(5), "@as []");
    EXPECT_THAT(calls[0].text(6), HasSubstr("'urgency': <byte 0x01>"));
    EXPECT_EQ(calls[0].text(7), "-1");
    EXPECT_EQ(calls[1].text(1), "uint32 1");  // replaces the first
    EXPECT_EQ(calls[1].text(3), "Second summary");
    EXPECT_TRUE(log.records.empty());
}

TEST_F(PrivateSessionBusTest, ThePermissionPromptReachesTheDesktopAtMostOnceAMinute)
{
    startNotificationService();
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

    const std::vector<MockCall> calls = notifyCalls();
    ASSERT_EQ(calls.size(), 3U);
    const DesktopNotification expected = permissionNotification(EACCES, uinputGroupName());
    for (int i : {0, 1}) {
        EXPECT_EQ(calls[i].text(3), expected.summary);
        EXPECT_EQ(calls[i].text(4), expected.body);
    }
    EXPECT_EQ(calls[2].text(3), "Barrier");
    EXPECT_EQ(log.messages(), std::vector<std::string>(3, "Cannot post input events: no write access to /dev/uinput"));
}

TEST_F(PrivateSessionBusTest, ABusWithoutANotificationServiceIsLoggedAsARefusal)
{
    GDBusDesktopNotifier notifier(logger);
    EXPECT_EQ(notifyAndWait(notifier, {"Summary", "Body"}), std::nullopt);
    ASSERT_EQ(log.records.size(), 1U);
    EXPECT_THAT(log.records[0].message, HasSubstr("Cannot show a desktop notification"));
}

TEST(DesktopNotificationWithoutBus, OnlyTheLogLineIsWritten)
{
    ScopedEnvironment address("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/quorvel-test-bus");
    ScopedEnvironment runtime("XDG_RUNTIME_DIR", nullptr);
    testing::CapturingLog log;
    platform::Logger logger(log, "Quorvel", "Helper");
    GDBusDesktopNotifier notifier(logger);
    testing::ManualMonotonicClock clock;
    PermissionPrompt prompt(notifier, clock, logger);

    EXPECT_FALSE(notifier.notify({"Summary", "Body"}));
    prompt.request(ENOENT);
    EXPECT_EQ(log.messages(), std::vector<std::string>{
                                  "Cannot post input events: /dev/uinput is missing (the uinput kernel module is not loaded)"});
}

}  // namespace
}  // namespace quorvel::linux_backend
