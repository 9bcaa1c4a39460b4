#include "helper/actions/SystemKeys.h"

#include <cmath>
#include <limits>

#include "helper/actions/AccessibilityGate.h"
#include "helper/actions/SystemValues.h"

namespace quorvel::ActionDispatcher {

namespace {

using platform::PropertyValue;

// Only the four modifier bits carry over; the flag masks share their values.
constexpr platform::EventFlags carriedModifierBits =
    platform::event_flag::shift | platform::event_flag::control | platform::event_flag::option |
    platform::event_flag::command;

constexpr std::int64_t maximumKeyCode = std::numeric_limits<platform::VirtualKeyCode>::max();

// The value under `key`, or null; it lives as long as the dictionary.
const PropertyValue* lookUp(const PropertyValue::Dictionary& dictionary, std::string_view key)
{
    const auto entry = dictionary.find(std::string(key));
    return entry == dictionary.end() ? nullptr : &entry->second;
}

const PropertyValue::Dictionary* asDictionary(const PropertyValue* value)
{
    return value ? std::get_if<PropertyValue::Dictionary>(&value->value) : nullptr;
}

void postKey(platform::EventTap& tap, platform::VirtualKeyCode keyCode, bool keyDown, platform::EventFlags flags)
{
    // A key event that cannot be created is skipped.
    tap.postKeyboardEvent(platform::EventSourceState::hidSystemState, platform::EventTapLocation::hidEventTap,
                          platform::KeyboardEvent{keyCode, keyDown, flags});
}

}  // namespace

std::optional<bool> boolValue(const PropertyValue* value)
{
    if (!value) return std::nullopt;
    if (const auto* boolean = std::get_if<bool>(&value->value)) return *boolean;
    if (const auto* integer = std::get_if<std::int64_t>(&value->value)) return *integer != 0;
    if (const auto* real = std::get_if<double>(&value->value)) return *real != 0;
    return std::nullopt;
}

std::optional<std::int64_t> intValue(const PropertyValue* value)
{
    if (!value) return std::nullopt;
    if (const auto* integer = std::get_if<std::int64_t>(&value->value)) return *integer;
    if (const auto* real = std::get_if<double>(&value->value)) {
        // A value outside the integer range has no integer reading (converting it is undefined).
        constexpr double limit = 9223372036854775808.0;  // 2^63
        if (!std::isfinite(*real) || *real >= limit || *real < -limit) return std::nullopt;
        return static_cast<std::int64_t>(*real);
    }
    return std::nullopt;
}

std::optional<SystemShortcut> systemShortcut(const ActionServices& services, const std::string& identifier)
{
    const auto hotKeys = services.preferences.copyAppValue(std::string(system_values::symbolicHotKeysKey),
                                                           std::string(system_values::symbolicHotKeysDomain));
    const auto* hotKeyTable = asDictionary(hotKeys ? &*hotKeys : nullptr);
    if (!hotKeyTable) return std::nullopt;
    const auto* entry = asDictionary(lookUp(*hotKeyTable, identifier));
    if (!entry) return std::nullopt;
    if (boolValue(lookUp(*entry, system_values::hotKeyEnabledKey)) != true) return std::nullopt;

    const auto* value = asDictionary(lookUp(*entry, system_values::hotKeyValueKey));
    if (!value) return std::nullopt;
    const auto* parametersValue = lookUp(*value, system_values::hotKeyParametersKey);
    const auto* parameters = parametersValue ? std::get_if<PropertyValue::Array>(&parametersValue->value) : nullptr;
    if (!parameters || parameters->size() < 3) return std::nullopt;

    const auto keyCode = intValue(&(*parameters)[1]);
    const auto mask = intValue(&(*parameters)[2]);
    if (!keyCode || !mask) return std::nullopt;
    // Out of range counts as unreadable: the caller falls back as for a missing shortcut.
    if (*keyCode < 0 || *keyCode > maximumKeyCode || *mask < 0) return std::nullopt;

    return SystemShortcut{static_cast<platform::VirtualKeyCode>(*keyCode),
                          static_cast<platform::EventFlags>(*mask) & carriedModifierBits};
}

void sendKeyboardShortcut(const ActionServices& services, platform::VirtualKeyCode keyCode,
                          platform::EventFlags flags)
{
    postKey(services.eventTap, keyCode, true, flags);
    postKey(services.eventTap, keyCode, false, flags);
}

void showSpotlightSearch(const ActionServices& services)
{
    if (const auto shortcut = systemShortcut(services, std::string(system_values::spotlightHotKeyIdentifier))) {
        if (!passAccessibilityGate(services)) return;
        sendKeyboardShortcut(services, shortcut->keyCode, shortcut->flags);
        return;
    }
    // Opening the application posts no input, so it needs no permission.
    const auto location = services.workspace.urlForApplication(std::string(system_values::spotlightBundleIdentifier));
    services.workspace.openApplication(location ? *location : std::string(system_values::spotlightFallbackPath));
}

}  // namespace quorvel::ActionDispatcher
