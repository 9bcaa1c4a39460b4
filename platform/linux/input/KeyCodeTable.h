#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/EventTap.h"

namespace quorvel::linux_backend {

// How a key takes part in a chord.
enum class KeyRole {
    ordinary,    // pressed and released with the chord's modifiers around it
    modifier,    // Shift, Control, Option: pressed and released on its own
    commandKey,  // Command: held as the desktop's switcher modifier until its release
};

struct KeyMapping {
    std::uint16_t evdevCode = 0;
    KeyRole role = KeyRole::ordinary;

    friend bool operator==(const KeyMapping&, const KeyMapping&) = default;
};

// The evdev key at the position of a virtual key code; nothing for codes that have none.
std::optional<KeyMapping> keyMappingFor(platform::VirtualKeyCode keyCode);

// The evdev key of an auxiliary (media) key type; nothing for unknown types.
std::optional<std::uint16_t> mediaKeyFor(std::int64_t keyType);

// Every evdev key either table can produce, plus the modifiers chords press: what the
// virtual keyboard must announce.
std::vector<std::uint16_t> allEvdevKeys();

}  // namespace quorvel::linux_backend
