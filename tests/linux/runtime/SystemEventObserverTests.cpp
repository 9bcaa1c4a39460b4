// Observers on private buses (dbus-daemon) with python3-dbusmock services; uevent classification.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/linux/GLibHandles.h"
#include "platform/linux/runtime/system_events/LinuxSystemEventObservers.h"
#include "platform/linux/runtime/system_events/UeventClassification.h"
#include "tests/linux/runtime/MainContextLoop.h"
#include "tests/linux/runtime/PrivateDBus.h"

namespace quorvel::linux_backend {
namespace {

using platform::SystemEvent;
using testing::iterateUntil;
using testing::PrivateBus;
using Events = std::vector<SystemEvent>;

constexpr const char* mock = PrivateBus::mock;
constexpr const char* logind = "org.freedesktop.login1";
constexpr const char* logindPath = "/org/freedesktop/login1";
constexpr const char* manager = "org.freedesktop.login1.Manager";  // it announces sleep

// Two private buses standing in for the system and the session bus.
class SystemEventsOnPrivateBuses : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (const auto missing = testing::missingDBusTools()) GTEST_SKIP() << *missing;
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
    systemBus.emit(logind, logindPath, manager, "PrepareForSleep", g_variant_new_boolean(true));
    EXPECT_EQ(firedSoFar(), Events{});
    systemBus.emit(logind, logindPath, manager, "PrepareForSleep", g_variant_new_boolean(false));
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
    systemBus.emit(logind, logindPath, manager, "PrepareForSleep", g_variant_new_boolean(false));
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
        // The same touchpad's other nodes, other devices and actions.
        {{"add", "input", "", true}, std::nullopt}, {{"add", "input", "/dev/input/mouse2", true}, std::nullopt},
        {{"add", "input", "/dev/input/event4", false}, std::nullopt},
        {{"change", "input", "/dev/input/event7", true}, std::nullopt},
    };
    for (const auto& [uevent, event] : cases) EXPECT_EQ(classifyUevent(uevent), event) << uevent.action << " " << uevent.devnode;
}

}  // namespace
}  // namespace quorvel::linux_backend
