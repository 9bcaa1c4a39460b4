#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace quorvel::linux_backend {

// A key of the reference keyboard (its virtual key code) and the modifier mask bits
// of the system hot key preferences: Shift 0x20000, Control 0x40000, Option 0x80000,
// Command 0x100000. The Super (logo) key plays Command.
struct HotKeyChord {
    std::uint16_t keyCode = 0;
    std::int64_t modifierMask = 0;

    friend bool operator==(const HotKeyChord&, const HotKeyChord&) = default;
};

// The virtual key code of the key an X keysym name or a Qt key name denotes
// ("s", "F1", "space", "Page_Up", "PgUp"); letters in either case. Nothing for keys
// the reference keyboard lacks.
std::optional<std::uint16_t> virtualKeyCodeForKeyName(std::string_view name);

// A GTK accelerator as GNOME stores it: "<Super>s", "<Primary><Alt>F1". Nothing for
// an empty or disabled one, an unknown key, or a modifier without an equivalent
// (Meta, Hyper).
std::optional<HotKeyChord> parseGtkAccelerator(std::string_view accelerator);

// A shortcut as KDE stores it: "Meta+Space", "Alt+F2", "Ctrl+Shift+K".
std::optional<HotKeyChord> parseKdeShortcut(std::string_view shortcut);

}  // namespace quorvel::linux_backend
