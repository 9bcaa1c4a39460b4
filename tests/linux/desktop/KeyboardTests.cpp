// Accelerator texts of GNOME and KDE as chords of the reference keyboard, and the keyboard layouts of
// an X11 session under Xvfb as XKB groups, selected by group lock.
#include <gtest/gtest.h>

#include <cstdlib>
#include <tuple>

#include "platform/linux/desktop/KeyboardShortcutText.h"
#include "platform/linux/desktop/XkbInputSources.h"
#include "tests/linux/desktop/DisplayServers.h"

namespace quorvel::linux_backend {
namespace {

constexpr std::int64_t shift = 0x20000, control = 0x40000, option = 0x80000, command = 0x100000;

TEST(KeyboardShortcutText, ParsesGtkAcceleratorsAndKdeShortcuts)
{
    const std::tuple<bool, std::string, std::optional<HotKeyChord>> rows[] = {  // KDE?, text, chord
        {false, "<Super>s", HotKeyChord{1, command}},          {false, "<Super>S", HotKeyChord{1, command}},
        {false, "<Alt>F1", HotKeyChord{122, option}},           {false, "F12", HotKeyChord{111, 0}},
        {false, "<Primary><Shift>space", HotKeyChord{49, control | shift}},
        {false, "<control><mod1>Page_Down", HotKeyChord{121, control | option}},
        {false, "", std::nullopt},                              {false, "<Super>", std::nullopt},
        {false, "<Hyper>s", std::nullopt},                      {false, "<Super>XF86Search", std::nullopt},
        {false, "<Super s", std::nullopt},                      {true, "Alt+Space", HotKeyChord{49, option}},
        {true, "Meta+Ctrl+Shift+K", HotKeyChord{40, command | control | shift}},
        {true, "Alt+F2", HotKeyChord{120, option}},             {true, "Search", std::nullopt},
        {true, "Ctrl++", std::nullopt},
    };
    for (const auto& [kde, text, chord] : rows) {
        EXPECT_EQ(kde ? parseKdeShortcut(text) : parseGtkAccelerator(text), chord) << text;
    }
}

using XkbSession = testing::XvfbTest;

TEST_F(XkbSession, ListsEveryGroupAndCyclesThroughThemByReference)
{
    ASSERT_TRUE(server) << "Xvfb did not start";
    const std::string layouts = "setxkbmap -display " + server->displayName + " -layout us,de -variant ,nodeadkeys";
    ASSERT_EQ(std::system(layouts.c_str()), 0);
    const auto sources = XkbInputSources::connect(server->displayName);
    ASSERT_NE(sources, nullptr);
    const auto current = [&] { return sources->currentKeyboardInputSource().value_or(platform::InputSource{}); };

    const auto list = sources->keyboardInputSourceList(false);
    ASSERT_TRUE(list.has_value());
    EXPECT_EQ(sources->keyboardInputSourceList(true), list);
    ASSERT_EQ(list->size(), 2u);
    EXPECT_EQ((*list)[0].identifier, "xkb:us");
    EXPECT_EQ((*list)[1].identifier, "xkb:de+nodeadkeys");
    for (const auto& source : {(*list)[1], (*list)[0], (*list)[1]}) {
        EXPECT_TRUE(source.isEnabled == true && source.isSelectCapable == true);
        sources->select(source);
        EXPECT_EQ(current(), source);
    }
    // Foreign or stale references select nothing.
    sources->select({"xkb-group:7", "xkb:fr", true, true});
    sources->select({"xkb-group:0x", std::nullopt, true, true});
    sources->select({"ibus:anthy", std::nullopt, true, true});
    EXPECT_EQ(current(), (*list)[1]);
}

}  // namespace
}  // namespace quorvel::linux_backend
