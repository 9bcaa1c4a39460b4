// Accelerator texts of GNOME and KDE as chords of the reference keyboard.
#include <gtest/gtest.h>

#include <tuple>

#include "platform/linux/desktop/KeyboardShortcutText.h"

namespace quorvel::linux_backend {
namespace {

constexpr std::int64_t shift = 0x20000, control = 0x40000, option = 0x80000, command = 0x100000;

TEST(KeyboardShortcutText, ParsesGtkAcceleratorsAndKdeShortcuts)
{
    const std::tuple<bool, std::string, std::optional<HotKeyChord>> rows[] = {  // KDE?, text, chord
        {false, "<Super>s", HotKeyChord{1, command}},
        {false, "<Super>S", HotKeyChord{1, command}},
        {false, "<Alt>F1", HotKeyChord{122, option}},
        {false, "<Primary><Shift>space", HotKeyChord{49, control | shift}},
        {false, "<control><mod1>Page_Down", HotKeyChord{121, control | option}},
        {false, "F12", HotKeyChord{111, 0}},
        {false, "", std::nullopt},
        {false, "<Super>", std::nullopt},
        {false, "<Hyper>s", std::nullopt},
        {false, "<Super>XF86Search", std::nullopt},
        {false, "<Super s", std::nullopt},
        {true, "Alt+Space", HotKeyChord{49, option}},
        {true, "Meta+Ctrl+Shift+K", HotKeyChord{40, command | control | shift}},
        {true, "Alt+F2", HotKeyChord{120, option}},
        {true, "Search", std::nullopt},
        {true, "Ctrl++", std::nullopt},
    };
    for (const auto& [kde, text, chord] : rows) {
        EXPECT_EQ(kde ? parseKdeShortcut(text) : parseGtkAccelerator(text), chord) << text;
    }
}

}  // namespace
}  // namespace quorvel::linux_backend
