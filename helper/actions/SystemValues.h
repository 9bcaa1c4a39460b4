#pragma once

#include <cstdint>
#include <string_view>

// The reference platform's own names and numbers that actions hand to the platform
// services unchanged. A backend for another desktop translates them; nothing here is
// interpreted by the portable code beyond passing it on.
namespace quorvel::system_values {

// The system tool that runs a named shortcut: `shortcuts run <name>`.
inline constexpr std::string_view shortcutsExecutable = "/usr/bin/shortcuts";
inline constexpr std::string_view shortcutsRunArgument = "run";

// The user's system-wide keyboard shortcuts.
inline constexpr std::string_view symbolicHotKeysDomain = "com.apple.symbolichotkeys";
inline constexpr std::string_view symbolicHotKeysKey = "AppleSymbolicHotKeys";
inline constexpr std::string_view hotKeyEnabledKey = "enabled";
inline constexpr std::string_view hotKeyValueKey = "value";
inline constexpr std::string_view hotKeyParametersKey = "parameters";

// The search launcher: its hot key, its application and where it lives when the
// workspace cannot say.
inline constexpr std::string_view spotlightHotKeyIdentifier = "64";
inline constexpr std::string_view spotlightBundleIdentifier = "com.apple.Spotlight";
inline constexpr std::string_view spotlightFallbackPath = "/System/Library/CoreServices/Spotlight.app";

// Auxiliary (media) key types of the keyboard event map.
namespace media_key_type {
inline constexpr std::int32_t soundUp = 0;
inline constexpr std::int32_t soundDown = 1;
inline constexpr std::int32_t mute = 7;
inline constexpr std::int32_t play = 16;
inline constexpr std::int32_t next = 17;
inline constexpr std::int32_t previous = 18;
}  // namespace media_key_type

// Key states carried in a media key event.
inline constexpr std::int32_t mediaKeyDownState = 10;
inline constexpr std::int32_t mediaKeyUpState = 11;

// The system-defined event that carries an auxiliary key.
inline constexpr std::int32_t systemDefinedEventType = 14;
inline constexpr std::int16_t auxiliaryKeySubtype = 8;

// Info dictionary keys of an application bundle's display name.
inline constexpr std::string_view bundleDisplayNameKey = "CFBundleDisplayName";
inline constexpr std::string_view bundleNameKey = "CFBundleName";

}  // namespace quorvel::system_values
