#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/linux/runtime/system_events/LinuxSystemEventObservers.h"
#include "tests/linux/runtime/MainContextLoop.h"
#include "tests/linux/runtime/PrivateDBus.h"

namespace quorvel::linux_backend {
namespace {

using platform::SystemEvent;
using testing::iterateUntil;
using testing::MockService;
using testing::PrivateBus;

constexpr SystemEvent allEvents[] = {SystemEvent::systemWake,    SystemEvent::screensWake,
                                     SystemEvent::sessionActive, SystemEvent::displayChange,
                                     SystemEvent::screenUnlock,  SystemEvent::deviceChange};

constexpr const char* mockInterface = "org.freedesktop.DBus.Mock";
constexpr const char* logindPath = "/org/freedesktop/login1";

// Records every event, in delivery order.
struct EventRecorder {
    explicit EventRecorder(platform::SystemEventObservers& observers)
    {
        for (SystemEvent event : allEvents) observers.observe(event, [this, event] { fired.push_back(event); });
    }
    std::vector<SystemEvent> fired;
};

// Two private buses standing in for the system and the session bus; on the "system" one, a
// logind mock that knows a login session "c1" (active, unlocked) when a test starts it.
class SystemEventsOnPrivateBuses : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (const auto missing = testing::missingDBusTools()) GTEST_SKIP() << *missing;
        systemBus = std::make_unique<PrivateBus>();
        sessionBus = std::make_unique<PrivateBus>();
        ASSERT_NE(systemBus->connection(), nullptr);
        ASSERT_NE(sessionBus->connection(), nullptr);
    }

    void startLogind()
    {
        logind = std::make_unique<MockService>(*systemBus, true, std::vector<std::string>{"--template", "logind"});
        ASSERT_TRUE(systemBus->waitForName("org.freedesktop.login1"));
        ASSERT_TRUE(systemBus->call("org.freedesktop.login1", logindPath, mockInterface, "AddSession",
                                    g_variant_new("(ssusb)", "c1", "seat0", 1000u, "someone", TRUE)));
    }

    void createObservers(const char* sessionId = "c1")
    {
        SystemEventSources sources;
        sources.systemBusAddress = systemBus->address();
        sources.sessionBusAddress = sessionBus->address();
        sources.loginSessionId = sessionId;
        sources.watchDevices = false;  // real uevents of this machine would only add noise
        observers = std::make_unique<LinuxSystemEventObservers>(sources);
        recorder = std::make_unique<EventRecorder>(*observers);
        ASSERT_TRUE(iterateUntil([&] { return observers->settled(); }));
    }

    void emitPrepareForSleep(bool starting)
    {
        emitSignal(*systemBus, "org.freedesktop.login1", logindPath, "org.freedesktop.login1.Manager", "PrepareForSleep",
                   g_variant_new_boolean(starting));
    }

    // Has the mock that owns `name` emit `signal` with one argument.
    static void emitSignal(PrivateBus& bus, const char* name, const char* path, const char* interface,
                           const char* signal, GVariant* argument)
    {
        GVariant* boxed = g_variant_new_variant(argument);
        ASSERT_TRUE(bus.call(name, path, mockInterface, "EmitSignal",
                             g_variant_new("(sss@av)", interface, signal, g_variant_get_type_string(argument),
                                           g_variant_new_array(G_VARIANT_TYPE_VARIANT, &boxed, 1))));
    }

    void setSessionProperty(const char* session, const char* name, bool value)
    {
        const std::string path = std::string("/org/freedesktop/login1/session/") + session;
        GVariantBuilder changes;
        g_variant_builder_init(&changes, G_VARIANT_TYPE("a{sv}"));
        g_variant_builder_add(&changes, "{sv}", name, g_variant_new_boolean(value));
        ASSERT_TRUE(systemBus->call("org.freedesktop.login1", path.c_str(), mockInterface, "UpdateProperties",
                                    g_variant_new("(sa{sv})", "org.freedesktop.login1.Session", &changes)));
    }

    // Everything the mocks emitted so far has been delivered (or dropped) by the observers.
    std::vector<SystemEvent> firedSoFar()
    {
        systemBus->flushDeliveries();
        sessionBus->flushDeliveries();
        return recorder->fired;
    }

    std::unique_ptr<PrivateBus> systemBus;
    std::unique_ptr<PrivateBus> sessionBus;
    std::unique_ptr<MockService> logind;
    std::unique_ptr<LinuxSystemEventObservers> observers;
    std::unique_ptr<EventRecorder> recorder;
};

TEST_F(SystemEventsOnPrivateBuses, OnlyTheEndOfASleepIsASystemWake)
{
    startLogind();
    createObservers();
    emitPrepareForSleep(true);
    EXPECT_EQ(firedSoFar(), std::vector<SystemEvent>{});
    emitPrepareForSleep(false);
    EXPECT_EQ(firedSoFar(), std::vector<SystemEvent>{SystemEvent::systemWake});
}

TEST_F(SystemEventsOnPrivateBuses, SessionActiveFiresOnlyWhenTheSessionBecomesActive)
{
    startLogind();
    createObservers();
    setSessionProperty("c1", "Active", true);  // already active: no change
    setSessionProperty("c1", "Active", false);
    setSessionProperty("c1", "Active", false);
    EXPECT_EQ(firedSoFar(), std::vector<SystemEvent>{});
    setSessionProperty("c1", "Active", true);
    setSessionProperty("c1", "Active", true);
    EXPECT_EQ(firedSoFar(), std::vector<SystemEvent>{SystemEvent::sessionActive});
}

TEST_F(SystemEventsOnPrivateBuses, ScreenUnlockFiresWhenOurSessionsLockIsLifted)
{
    startLogind();
    ASSERT_TRUE(systemBus->call("org.freedesktop.login1", logindPath, mockInterface, "AddSession",
                                g_variant_new("(ssusb)", "c2", "seat1", 1001u, "another", TRUE)));
    createObservers();
    setSessionProperty("c1", "LockedHint", false);  // already unlocked
    setSessionProperty("c1", "LockedHint", true);
    setSessionProperty("c2", "LockedHint", true);
    setSessionProperty("c2", "LockedHint", false);  // somebody else's session
    EXPECT_EQ(firedSoFar(), std::vector<SystemEvent>{});
    setSessionProperty("c1", "LockedHint", false);
    EXPECT_EQ(firedSoFar(), std::vector<SystemEvent>{SystemEvent::screenUnlock});
}

TEST_F(SystemEventsOnPrivateBuses, UnknownSessionStillLeavesSleepEventsWorking)
{
    startLogind();
    createObservers("unknown7");
    setSessionProperty("c1", "LockedHint", true);
    setSessionProperty("c1", "LockedHint", false);
    emitPrepareForSleep(false);
    EXPECT_EQ(firedSoFar(), std::vector<SystemEvent>{SystemEvent::systemWake});
}

TEST_F(SystemEventsOnPrivateBuses, ScreensaversTurningOffAreScreensWake)
{
    MockService gnome(*sessionBus, false, {"--template", "gnome_screensaver"});
    MockService freedesktop(*sessionBus, false,
                            {"org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver", "org.freedesktop.ScreenSaver"});
    ASSERT_TRUE(sessionBus->waitForName("org.gnome.ScreenSaver"));
    ASSERT_TRUE(sessionBus->waitForName("org.freedesktop.ScreenSaver"));
    createObservers();

    ASSERT_TRUE(sessionBus->call("org.gnome.ScreenSaver", "/org/gnome/ScreenSaver", "org.gnome.ScreenSaver", "SetActive",
                                 g_variant_new("(b)", TRUE)));
    EXPECT_EQ(firedSoFar(), std::vector<SystemEvent>{});
    ASSERT_TRUE(sessionBus->call("org.gnome.ScreenSaver", "/org/gnome/ScreenSaver", "org.gnome.ScreenSaver", "SetActive",
                                 g_variant_new("(b)", FALSE)));
    EXPECT_EQ(firedSoFar(), std::vector<SystemEvent>{SystemEvent::screensWake});

    for (bool active : {true, false}) {
        emitSignal(*sessionBus, "org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver",
                   "org.freedesktop.ScreenSaver", "ActiveChanged", g_variant_new_boolean(active));
    }
    EXPECT_EQ(firedSoFar(), (std::vector<SystemEvent>{SystemEvent::screensWake, SystemEvent::screensWake}));
}

TEST_F(SystemEventsOnPrivateBuses, DisplayPowerSaveReturningToOnIsScreensWake)
{
    constexpr const char* name = "org.gnome.Mutter.DisplayConfig";
    constexpr const char* path = "/org/gnome/Mutter/DisplayConfig";
    MockService mutter(*sessionBus, false, {name, path, name});
    ASSERT_TRUE(sessionBus->waitForName(name));
    ASSERT_TRUE(sessionBus->call(name, path, mockInterface, "AddProperty",
                                 g_variant_new("(ssv)", name, "PowerSaveMode", g_variant_new_int32(0))));
    createObservers();
    auto setMode = [&](gint32 mode) {
        GVariantBuilder changes;
        g_variant_builder_init(&changes, G_VARIANT_TYPE("a{sv}"));
        g_variant_builder_add(&changes, "{sv}", "PowerSaveMode", g_variant_new_int32(mode));
        ASSERT_TRUE(sessionBus->call(name, path, mockInterface, "UpdateProperties",
                                     g_variant_new("(sa{sv})", name, &changes)));
    };
    setMode(0);  // on already
    setMode(3);
    setMode(1);
    EXPECT_EQ(firedSoFar(), std::vector<SystemEvent>{});
    setMode(0);
    EXPECT_EQ(firedSoFar(), std::vector<SystemEvent>{SystemEvent::screensWake});
}

TEST(SystemEventsWithoutBuses, UnreachableBusesAreNotFatalAndNothingFires)
{
    // The environment decides the buses when no address is given.
    g_setenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/quorvel/system_bus_socket", TRUE);
    g_setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/quorvel/session_bus_socket", TRUE);
    SystemEventSources sources;
    sources.watchDevices = false;
    LinuxSystemEventObservers observers(sources);
    EventRecorder recorder(observers);
    ASSERT_TRUE(iterateUntil([&] { return observers.settled(); }));
    testing::iterateReady();
    EXPECT_EQ(recorder.fired, std::vector<SystemEvent>{});
}

TEST(SystemEventsWithoutBuses, ObserversCanBeDestroyedBeforeTheBusesAnswer)
{
    g_setenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/quorvel/system_bus_socket", TRUE);
    g_setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/quorvel/session_bus_socket", TRUE);
    {
        LinuxSystemEventObservers observers;  // udev too, where this machine has it
        observers.observe(SystemEvent::systemWake, [] { FAIL() << "nothing can wake here"; });
    }
    // The connection attempts end after their owner; their late replies must touch nothing
    // (a sanitizer build reports it if they do). Give them a while to come back.
    bool waited = false;
    g_timeout_add(200, [](gpointer flag) {
        *static_cast<bool*>(flag) = true;
        return G_SOURCE_REMOVE;
    }, &waited);
    EXPECT_TRUE(iterateUntil([&] { return waited; }));
}

}  // namespace
}  // namespace quorvel::linux_backend
