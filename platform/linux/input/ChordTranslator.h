#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "platform/EventTap.h"

namespace quorvel::linux_backend {

// One key going down or up on the virtual keyboard.
struct KeyTransition {
    std::uint16_t evdevCode = 0;
    bool pressed = true;

    friend bool operator==(const KeyTransition&, const KeyTransition&) = default;
};

using KeyTransitions = std::vector<KeyTransition>;

// Turns the keyboard and media events of the reference platform into key transitions of a
// PC keyboard. A chord's flags become modifier presses around its key (Command as the logo
// key, but Command-V pastes with Ctrl+V); the Command key pressed on its own holds Alt, the
// switcher modifier of PC desktops, until its key-up. Remembers which modifiers it pressed
// and why, so each is released exactly once.
class ChordTranslator {
public:
    // Nothing when the key code has no PC key (then nothing may be posted).
    std::optional<KeyTransitions> translate(const platform::KeyboardEvent& event);
    // Nothing for anything but a media key down or up of a known key type.
    static std::optional<KeyTransitions> translate(const platform::SystemDefinedEvent& event);

    // Forgets every held modifier (the keyboard they were pressed on is gone).
    void reset() { holders_.clear(); }

private:
    // Why a modifier is down; it goes up when no reason is left.
    enum Holder : unsigned {
        chord = 1U << 0U,        // pressed for the flags of a key chord
        modifierKey = 1U << 1U,  // its own key event pressed it
        commandHold = 1U << 2U,  // the Command key is held
    };

    KeyTransitions commandKeyEvent(std::uint16_t code, bool keyDown);
    KeyTransitions modifierKeyEvent(std::uint16_t code, bool keyDown);
    KeyTransitions chordKeyDown(std::uint16_t code, platform::EventFlags flags);
    KeyTransitions chordKeyUp(std::uint16_t code);

    bool commandHeld() const;
    std::vector<std::uint16_t> chordModifiers(std::uint16_t code, platform::EventFlags flags) const;
    void hold(std::uint16_t code, Holder holder, KeyTransitions& out);
    void letGo(std::uint16_t code, Holder holder, KeyTransitions& out);

    std::map<std::uint16_t, unsigned> holders_;
};

}  // namespace quorvel::linux_backend
