// Input sources of non-X11 sessions: fcitx5, KDE's layouts service and IBus against
// python3-dbusmock services on private buses, the chain that picks among them, and
// GNOME's switch chord.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/linux/desktop/Fcitx5InputSources.h"
#include "platform/linux/desktop/GnomeInputSources.h"
#include "platform/linux/desktop/IbusInputSources.h"
#include "platform/linux/desktop/InputSourceChain.h"
#include "platform/linux/desktop/KdeKeyboardLayouts.h"
#include "tests/fakes/FakeActionServices.h"
#include "tests/linux/runtime/PrivateDBus.h"

namespace quorvel::linux_backend {
namespace {

using Ids = std::vector<std::string>;

// As the dispatcher moves on: the current source's successor in the list, or the first.
std::string selectNext(platform::KeyboardInputSources& sources)
{
    const auto list = sources.keyboardInputSourceList(false).value_or(std::vector<platform::InputSource>{});
    const auto current = sources.currentKeyboardInputSource();
    std::size_t next = 0;
    for (std::size_t i = 0; current && i < list.size(); ++i) {
        if (list[i].identifier == current->identifier) next = (i + 1) % list.size();
    }
    if (list.empty()) return "none";
    sources.select(list[next]);
    const auto now = sources.currentKeyboardInputSource();
    return now && now->identifier ? *now->identifier : "unknown";
}

Ids cycle(platform::KeyboardInputSources& sources, int times)
{
    Ids seen;
    for (int i = 0; i < times; ++i) seen.push_back(selectNext(sources));
    return seen;
}

TEST(DBusInputSources, EachFrameworkCyclesThroughTheUsersSourcesAndThenThePickedOne)
{
    if (const auto missing = testing::missingDBusTools()) GTEST_SKIP() << *missing;
    testing::PrivateBus session;
    testing::PrivateBus ibusBus;
    const char *fcitx5Name = "org.fcitx.Fcitx5", *fcitx5Path = "/controller";
    const char* fcitx5Interface = "org.fcitx.Fcitx.Controller1";
    session.startMock(fcitx5Name, fcitx5Path, fcitx5Interface,
                      {{"CurrentInputMethodGroup", "", "s", "ret = 'Default'"},
                       {"InputMethodGroupInfo", "s", "sa(ss)", "ret = ('us', [('keyboard-us', ''), ('pinyin', 'us')])"},
                       {"CurrentInputMethod", "", "s", "ret = getattr(self, 'im', 'keyboard-us')"},
                       {"SetCurrentIM", "s", "", "self.im = args[0]"}});
    session.startMock("org.kde.keyboard", "/Layouts", "org.kde.KeyboardLayouts",
                      {{"getLayoutsList", "", "a(sss)",
                        "ret = [('us', '', 'English (US)'), ('de', '', 'German'),"
                        " ('us', 'dvorak', 'English (Dvorak)')]"},
                       {"getLayout", "", "u", "ret = getattr(self, 'layout', 0)"},
                       {"setLayout", "u", "b", "self.layout = args[0]; ret = True"}});
    const char* ibusName = "org.freedesktop.IBus";
    ibusBus.startMock(ibusName, "/org/freedesktop/IBus", ibusName,
                      {{"GetGlobalEngine", "", "v",
                        "ret = dbus.Struct(('IBusEngineDesc', dbus.Dictionary({}, signature='sv'),"
                        " getattr(self, 'engine', 'anthy'), 'Anthy'), signature='sa{sv}ss', variant_level=1)"},
                       {"SetGlobalEngine", "s", "", "self.engine = args[0]"}});
    const char* engines[] = {"xkb:us::eng", "anthy"};
    ibusBus.call(ibusName, "/org/freedesktop/IBus", testing::PrivateBus::mock, "AddProperty",
                 g_variant_new("(ssv)", ibusName, "PreloadEngines", g_variant_new_strv(engines, 2)));
    auto connect = [&] { return DBusServiceProxy::busAt(session.address); };

    Fcitx5InputSources fcitx5(connect);
    KdeKeyboardLayouts kde(connect);
    ::setenv("IBUS_ADDRESS", ibusBus.address.c_str(), 1);
    auto ibus = IbusInputSources::forCurrentSession();
    EXPECT_EQ(cycle(fcitx5, 3), (Ids{"pinyin", "keyboard-us", "pinyin"}));
    // The same layout twice is told apart by its position.
    EXPECT_EQ(cycle(kde, 3), (Ids{"xkb:de", "xkb:us#2", "xkb:us#0"}));
    EXPECT_EQ(cycle(*ibus, 2), (Ids{"xkb:us::eng", "anthy"}));

    // Fcitx5 runs with a single method: the chain switches KDE's layouts, skipping the absent IBus.
    session.addMethods(fcitx5Name, fcitx5Path, fcitx5Interface,
                       {{"InputMethodGroupInfo", "s", "sa(ss)", "ret = ('us', [('keyboard-us', '')])"}});
    ::setenv("IBUS_ADDRESS", "unix:path=/nonexistent/quorvel-ibus", 1);
    std::vector<std::unique_ptr<platform::KeyboardInputSources>> members;
    members.push_back(std::make_unique<Fcitx5InputSources>(connect));
    members.push_back(IbusInputSources::forCurrentSession());
    members.push_back(std::make_unique<KdeKeyboardLayouts>(connect));
    InputSourceChain chain(std::move(members));
    EXPECT_EQ(cycle(chain, 2), (Ids{"xkb:de", "xkb:us#2"}));
    EXPECT_EQ(kde.currentKeyboardInputSource()->identifier, "xkb:us#2");

    // Configured with two, fcitx5 comes first again (from its first method: the current one left
    // the group); KDE's layout stays where it was.
    session.addMethods(fcitx5Name, fcitx5Path, fcitx5Interface,
                       {{"InputMethodGroupInfo", "s", "sa(ss)",
                         "ret = ('us', [('keyboard-us', ''), ('mozc', 'us')])"}});
    EXPECT_EQ(cycle(chain, 2), (Ids{"keyboard-us", "mozc"}));
    EXPECT_EQ(kde.currentKeyboardInputSource()->identifier, "xkb:us#2");
    ::unsetenv("IBUS_ADDRESS");
}

TEST(DBusInputSources, AMissingServiceGivesNoListInsteadOfStartingOneOrHanging)
{
    if (const auto missing = testing::missingDBusTools()) GTEST_SKIP() << *missing;
    testing::PrivateBus session;
    auto connect = [&] { return DBusServiceProxy::busAt(session.address); };
    Fcitx5InputSources fcitx5(connect);
    KdeKeyboardLayouts kde(connect);
    EXPECT_EQ(fcitx5.keyboardInputSourceList(false), std::nullopt);
    EXPECT_EQ(kde.currentKeyboardInputSource(), std::nullopt);
    std::vector<std::unique_ptr<platform::KeyboardInputSources>> members;
    members.push_back(std::make_unique<KdeKeyboardLayouts>([] { return GObjectPtr<GDBusConnection>(); }));
    InputSourceChain chain(std::move(members));
    EXPECT_EQ(chain.keyboardInputSourceList(false), std::nullopt);
    EXPECT_EQ(chain.currentKeyboardInputSource(), std::nullopt);
}

TEST(IbusInputSources, ReadsTheDaemonsAddressFromItsAddressFile)
{
    const std::string file = (std::filesystem::temp_directory_path() / "quorvel-ibus-address").string();
    std::ofstream(file) << "# This file is created by ibus-daemon, please do not modify it.\n"
                           "IBUS_ADDRESS=unix:path=/tmp/ibus-test,guid=0123\nIBUS_DAEMON_PID=42\n";
    ::unsetenv("IBUS_ADDRESS");
    ::setenv("IBUS_ADDRESS_FILE", file.c_str(), 1);
    EXPECT_EQ(IbusInputSources::busAddress(), "unix:path=/tmp/ibus-test,guid=0123");
    std::filesystem::remove(file);
    EXPECT_EQ(IbusInputSources::busAddress(), std::nullopt);
    ::unsetenv("IBUS_ADDRESS_FILE");
}

TEST(GnomeInputSources, SelectingAnotherSourcePressesTheShellsSwitchChordOnce)
{
    testing::FakeEventTap tap;
    std::optional<HotKeyChord> chord = HotKeyChord{49, 0x100000};  // Super+Space
    GnomeInputSources gnome(
        [](const std::string& key) {
            using Entries = std::vector<std::pair<std::string, std::string>>;
            return std::optional<Entries>(key == "sources" ? Entries{{"xkb", "us"}, {"xkb", "de"}}
                                                           : Entries{{"xkb", "de"}, {"xkb", "us"}});
        },
        [&] { return chord; }, tap);

    const auto sources = gnome.keyboardInputSourceList(false).value();
    ASSERT_EQ(sources.size(), 2U);
    EXPECT_EQ(gnome.currentKeyboardInputSource()->identifier, "xkb:de");
    gnome.select(sources[1]);  // already current
    EXPECT_TRUE(tap.nothingPosted());
    gnome.select(sources[0]);
    using Posted = testing::PostedKeyboardEvent;
    constexpr auto hid = platform::EventSourceState::hidSystemState;
    constexpr auto at = platform::EventTapLocation::hidEventTap;
    EXPECT_EQ(tap.keyboardEvents, (std::vector<Posted>{{hid, at, {49, true, 0x100000}}, {hid, at, {49, false, 0x100000}}}));

    chord.reset();  // no usable chord: nothing is selectable, so the dispatcher beeps
    EXPECT_EQ(gnome.keyboardInputSourceList(false)->front().isSelectCapable, false);
}

}  // namespace
}  // namespace quorvel::linux_backend
