#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "helper/actions/ActionServices.h"
#include "platform/EventTap.h"
#include "platform/PropertyValue.h"

namespace quorvel::ActionDispatcher {

// A system-wide keyboard shortcut: a key and the modifiers held with it.
struct SystemShortcut {
    platform::VirtualKeyCode keyCode = 0;
    platform::EventFlags flags = 0;

    friend bool operator==(const SystemShortcut&, const SystemShortcut&) = default;
};

// Readings of loosely typed preference values: a Boolean or a number (non-zero is
// true); an integer or a number (truncated toward zero; nothing when it does not fit).
// A null value is absent.
std::optional<bool> boolValue(const platform::PropertyValue* value);
std::optional<std::int64_t> intValue(const platform::PropertyValue* value);

// The user's enabled shortcut for a symbolic hot key identifier; nothing when it is
// missing, disabled, malformed or out of range.
std::optional<SystemShortcut> systemShortcut(const ActionServices& services, const std::string& identifier);

// Presses and releases one key chord at once, with exactly `flags` set on both events.
void sendKeyboardShortcut(const ActionServices& services, platform::VirtualKeyCode keyCode,
                          platform::EventFlags flags);

// Presses the user's search shortcut (behind the accessibility gate), or opens the
// search application when there is no usable shortcut.
void showSpotlightSearch(const ActionServices& services);

}  // namespace quorvel::ActionDispatcher
