// Observers on private buses (dbus-daemon) with python3-dbusmock services; uevent classification.
#include <gtest/gtest.h>
#include <sys/prctl.h>

#include <csignal>
#include <string_view>
#include <memory>
#include <vector>

#include "platform/linux/runtime/GLibHandles.h"
#include "platform/linux/runtime/system_events/LinuxSystemEventObservers.h"
#include "platform/linux/runtime/system_events/UeventClassification.h"
#include "tests/linux/runtime/MainContextLoop.h"

namespace quorvel::linux_backend {
namespace {

using platform::SystemEvent;
using testing::iterateUntil;
using Events = std::vector<SystemEvent>;

constexpr const char* mock = "org.freedesktop.DBus.Mock";
constexpr const char* logind = "org.freedesktop.login1";
constexpr const char* logindPath = "/org/freedesktop/login1";

// A child process (Debian's dbus-daemon or python3-dbusmock) that ends with the test process, even when it crashes.
GObjectPtr<GSubprocess> spawn(std::vector<const char*> argv, GSubprocessFlags flags, const char* busVariable = nullptr,
                              const std::string& address = {})
{
    GObjectPtr<GSubprocessLauncher> launcher(g_subprocess_launcher_new(flags));
    g_subprocess_launcher_set_child_setup(launcher.get(), [](gpointer) { prctl(PR_SET_PDEATHSIG, SIGTERM); }, nullptr, nullptr);
    if (busVariable) g_subprocess_launcher_setenv(launcher.get(), busVariable, address.c_str(), TRUE);
    argv.push_back(nullptr);
    return GObjectPtr<GSubprocess>(g_subprocess_launcher_spawnv(launcher.get(), argv.data(), nullptr));
}

struct Child {
    GObjectPtr<GSubprocess> process;
    ~Child() { if (process) g_subprocess_force_exit(process.get()), g_subprocess_wait(process.get(), nullptr, nullptr); }
};

// A private message bus with the test's own connection, for driving the mocks on it.
struct PrivateBus {
    PrivateBus()
    {
        daemon.process = spawn({"/usr/bin/dbus-daemon", "--session", "--nofork", "--print-address"},
                               static_cast<GSubprocessFlags>(G_SUBPROCESS_FLAGS_STDOUT_PIPE | G_SUBPROCESS_FLAGS_STDERR_SILENCE));
        if (!daemon.process) return;
        GObjectPtr<GDataInputStream> output(g_data_input_stream_new(g_subprocess_get_stdout_pipe(daemon.process.get())));
        const GCharPtr line(g_data_input_stream_read_line(output.get(), nullptr, nullptr, nullptr));
        address = line ? line.get() : "";
        connection.reset(g_dbus_connection_new_for_address_sync(
            address.c_str(),
            static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT | G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
            nullptr, nullptr, nullptr));
    }
    ~PrivateBus() { if (connection) g_dbus_connection_close_sync(connection.get(), nullptr, nullptr); }

    // Starts a python3-dbusmock service on this bus and waits until it owns `name`.
    void startMock(const char* name, bool systemBus, std::vector<const char*> arguments)
    {
        arguments.insert(arguments.begin(), {"/usr/bin/python3", "-m", "dbusmock"});
        mocks.push_back(std::make_unique<Child>());
        mocks.back()->process = spawn(arguments, G_SUBPROCESS_FLAGS_STDOUT_SILENCE,
                                      systemBus ? "DBUS_SYSTEM_BUS_ADDRESS" : "DBUS_SESSION_BUS_ADDRESS", address);
        bool owned = false;
        const guint watch = g_bus_watch_name_on_connection(
            connection.get(), name, G_BUS_NAME_WATCHER_FLAGS_NONE,
            [](GDBusConnection*, const gchar*, const gchar*, gpointer flag) { *static_cast<bool*>(flag) = true; }, nullptr,
            &owned, nullptr);
        EXPECT_TRUE(iterateUntil([&] { return owned; })) << name;
        g_bus_unwatch_name(watch);
    }

    void call(const char* destination, const char* path, const char* interface, const char* method, GVariant* parameters)
    {
        GError* error = nullptr;
        GVariantPtr reply(g_dbus_connection_call_sync(connection.get(), destination, path, interface, method, parameters,
                                                      nullptr, G_DBUS_CALL_FLAGS_NONE, 10000, nullptr, &error));
        EXPECT_EQ(error, nullptr) << method << ": " << (error ? error->message : "");
        GErrorPtr owned(error);
    }

    // Has the mock owning `name` change one property, or emit one signal with one argument.
    void setProperty(const char* name, const char* path, const char* interface, const char* property, GVariant* value)
    {
        GVariantBuilder changes;
        g_variant_builder_init(&changes, G_VARIANT_TYPE("a{sv}"));
        g_variant_builder_add(&changes, "{sv}", property, value);
        call(name, path, mock, "UpdateProperties", g_variant_new("(sa{sv})", interface, &changes));
    }
    void emit(const char* name, const char* path, const char* interface, const char* signal, GVariant* argument)
    {
        GVariant* boxed = g_variant_new_variant(argument);
        call(name, path, mock, "EmitSignal", g_variant_new("(sss@av)", interface, signal, g_variant_get_type_string(argument),
                                                           g_variant_new_array(G_VARIANT_TYPE_VARIANT, &boxed, 1)));
    }

    // Every signal already routed to the observers' connections is handed to the main context (a
    // connection's worker answers Peer.Ping after queuing what it read before), then run.
    void flushDeliveries()
    {
        GVariantPtr names(g_dbus_connection_call_sync(connection.get(), "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                                      "org.freedesktop.DBus", "ListNames", nullptr, G_VARIANT_TYPE("(as)"),
                                                      G_DBUS_CALL_FLAGS_NONE, 10000, nullptr, nullptr));
        GVariantIter iterator;
        const gchar* name = nullptr;
        const GVariantPtr list(g_variant_get_child_value(names.get(), 0));
        g_variant_iter_init(&iterator, list.get());
        while (g_variant_iter_next(&iterator, "&s", &name)) {
            if (name[0] != ':' || std::string_view(name) == g_dbus_connection_get_unique_name(connection.get())) continue;
            GVariantPtr(g_dbus_connection_call_sync(connection.get(), name, "/", "org.freedesktop.DBus.Peer", "Ping", nullptr,
                                                    nullptr, G_DBUS_CALL_FLAGS_NONE, 10000, nullptr, nullptr));
        }
        testing::iterateReady();
    }

    Child daemon;
    std::string address;
    GObjectPtr<GDBusConnection> connection;
    std::vector<std::unique_ptr<Child>> mocks;
};

// Two private buses standing in for the system and the session bus.
class SystemEventsOnPrivateBuses : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!g_file_test("/usr/bin/dbus-daemon", G_FILE_TEST_IS_EXECUTABLE)) GTEST_SKIP() << "dbus-daemon is not installed";
        ASSERT_NE(systemBus.connection, nullptr);
        ASSERT_NE(sessionBus.connection, nullptr);
    }

    // logind knowing a login session "c1" (active, unlocked), and "c2" of someone else.
    void startLogind()
    {
        systemBus.startMock(logind, true, {"--template", "logind"});
        systemBus.call(logind, logindPath, mock, "AddSession", g_variant_new("(ssusb)", "c1", "seat0", 1000u, "someone", TRUE));
        systemBus.call(logind, logindPath, mock, "AddSession", g_variant_new("(ssusb)", "c2", "seat1", 1001u, "another", TRUE));
    }

    void createObservers(const char* sessionId = "c1")
    {
        observers = std::make_unique<LinuxSystemEventObservers>(
            SystemEventSources{systemBus.address, sessionBus.address, sessionId, false});  // no uevents of this machine
        for (const SystemEvent event : {SystemEvent::systemWake, SystemEvent::screensWake, SystemEvent::sessionActive,
                                        SystemEvent::displayChange, SystemEvent::screenUnlock, SystemEvent::deviceChange}) {
            observers->observe(event, [this, event] { fired.push_back(event); });
        }
        ASSERT_TRUE(iterateUntil([&] { return observers->settled(); }));
    }

    void setSession(const char* session, const char* property, bool value)
    {
        const std::string path = std::string(logindPath) + "/session/" + session;
        systemBus.setProperty(logind, path.c_str(), "org.freedesktop.login1.Session", property, g_variant_new_boolean(value));
    }
    void prepareForSleep(bool starting)
    {
        systemBus.emit(logind, logindPath, "org.freedesktop.login1.Manager", "PrepareForSleep", g_variant_new_boolean(starting));
    }

    // Everything the mocks emitted so far has been delivered (or dropped) by the observers.
    Events firedSoFar()
    {
        systemBus.flushDeliveries();
        sessionBus.flushDeliveries();
        return fired;
    }

    PrivateBus systemBus, sessionBus;
    std::unique_ptr<LinuxSystemEventObservers> observers;
    Events fired;
};

TEST_F(SystemEventsOnPrivateBuses, LogindSleepEndSessionActivationAndOurSessionsUnlock)
{
    startLogind();
    createObservers();
    prepareForSleep(true);
    EXPECT_EQ(firedSoFar(), Events{});
    prepareForSleep(false);
    EXPECT_EQ(firedSoFar(), Events{SystemEvent::systemWake});
    for (const bool active : {true, false, false}) setSession("c1", "Active", active);  // active already at first
    EXPECT_EQ(firedSoFar().size(), 1u);
    for (const bool active : {true, true}) setSession("c1", "Active", active);
    EXPECT_EQ(firedSoFar(), (Events{SystemEvent::systemWake, SystemEvent::sessionActive}));
    setSession("c1", "LockedHint", false);  // unlocked already
    setSession("c1", "LockedHint", true);
    setSession("c2", "LockedHint", true);
    setSession("c2", "LockedHint", false);  // somebody else's session
    EXPECT_EQ(firedSoFar().size(), 2u);
    setSession("c1", "LockedHint", false);
    EXPECT_EQ(firedSoFar(), (Events{SystemEvent::systemWake, SystemEvent::sessionActive, SystemEvent::screenUnlock}));
}

TEST_F(SystemEventsOnPrivateBuses, UnknownSessionStillLeavesSleepEventsWorking)
{
    startLogind();
    createObservers("unknown7");
    setSession("c1", "LockedHint", true);
    setSession("c1", "LockedHint", false);
    prepareForSleep(false);
    EXPECT_EQ(firedSoFar(), Events{SystemEvent::systemWake});
}

TEST_F(SystemEventsOnPrivateBuses, ScreensaversTurningOffAndDisplaysLeavingPowerSaveAreScreensWake)
{
    constexpr const char* gnome = "org.gnome.ScreenSaver";
    constexpr const char* freedesktop = "org.freedesktop.ScreenSaver";
    constexpr const char* mutter = "org.gnome.Mutter.DisplayConfig";
    sessionBus.startMock(gnome, false, {"--template", "gnome_screensaver"});
    sessionBus.startMock(freedesktop, false, {freedesktop, "/org/freedesktop/ScreenSaver", freedesktop});
    sessionBus.startMock(mutter, false, {mutter, "/org/gnome/Mutter/DisplayConfig", mutter});
    sessionBus.call(mutter, "/org/gnome/Mutter/DisplayConfig", mock, "AddProperty",
                    g_variant_new("(ssv)", mutter, "PowerSaveMode", g_variant_new_int32(0)));
    createObservers();
    auto setMode = [&](int mode) {
        sessionBus.setProperty(mutter, "/org/gnome/Mutter/DisplayConfig", mutter, "PowerSaveMode", g_variant_new_int32(mode));
    };

    sessionBus.call(gnome, "/org/gnome/ScreenSaver", gnome, "SetActive", g_variant_new("(b)", TRUE));
    sessionBus.emit(freedesktop, "/org/freedesktop/ScreenSaver", freedesktop, "ActiveChanged", g_variant_new_boolean(true));
    for (const int mode : {0, 3, 1}) setMode(mode);  // on already, then off and suspended
    EXPECT_EQ(firedSoFar(), Events{});
    sessionBus.call(gnome, "/org/gnome/ScreenSaver", gnome, "SetActive", g_variant_new("(b)", FALSE));
    EXPECT_EQ(firedSoFar(), Events{SystemEvent::screensWake});
    sessionBus.emit(freedesktop, "/org/freedesktop/ScreenSaver", freedesktop, "ActiveChanged", g_variant_new_boolean(false));
    EXPECT_EQ(firedSoFar().size(), 2u);
    setMode(0);
    EXPECT_EQ(firedSoFar(), Events(3, SystemEvent::screensWake));
}

TEST(SystemEventsWithoutBuses, UnreachableBusesAreNotFatalNothingFiresAndObserversMayGoFirst)
{
    // The environment decides the buses when no address is given.
    g_setenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/quorvel/system_bus_socket", TRUE);
    g_setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/quorvel/session_bus_socket", TRUE);
    Events fired;
    {
        LinuxSystemEventObservers observers(SystemEventSources{std::nullopt, std::nullopt, std::nullopt, false});
        observers.observe(SystemEvent::systemWake, [&] { fired.push_back(SystemEvent::systemWake); });
        ASSERT_TRUE(iterateUntil([&] { return observers.settled(); }));
    }
    {
        LinuxSystemEventObservers observers;  // udev too, where this machine has it
        observers.observe(SystemEvent::systemWake, [&] { fired.push_back(SystemEvent::systemWake); });
    }
    // The second one's connection attempts end after it; their late replies must touch nothing
    // (a sanitizer build reports it if they do).
    bool waited = false;
    g_timeout_add(200, [](gpointer flag) { return *static_cast<bool*>(flag) = true, G_SOURCE_REMOVE; }, &waited);
    EXPECT_TRUE(iterateUntil([&] { return waited; }));
    EXPECT_EQ(fired, Events{});
}

TEST(UeventClassification, DrmChangesAreDisplayChangesTouchpadEventNodesComingOrGoingDeviceChanges)
{
    const std::pair<Uevent, std::optional<SystemEvent>> cases[] = {
        {{"change", "drm", "/dev/dri/card0", false}, SystemEvent::displayChange},
        {{"change", "drm", "", false}, SystemEvent::displayChange},
        {{"add", "drm", "/dev/dri/card1", false}, std::nullopt},
        {{"change", "input", "/dev/input/event3", false}, std::nullopt},
        {{"add", "input", "/dev/input/event7", true}, SystemEvent::deviceChange},
        {{"remove", "input", "/dev/input/event7", true}, SystemEvent::deviceChange},
        {{"add", "input", "", true}, std::nullopt},  // the same touchpad's other nodes, other devices and actions
        {{"add", "input", "/dev/input/mouse2", true}, std::nullopt},
        {{"add", "input", "/dev/input/event4", false}, std::nullopt},
        {{"change", "input", "/dev/input/event7", true}, std::nullopt},
    };
    for (const auto& [uevent, event] : cases) EXPECT_EQ(classifyUevent(uevent), event) << uevent.action << " " << uevent.devnode;
}

}  // namespace
}  // namespace quorvel::linux_backend
