#include "platform/linux/input/KeyCodeTable.h"

#include <linux/input-event-codes.h>

#include <algorithm>
#include <array>
#include <utility>

namespace quorvel::linux_backend {
namespace {

struct VirtualKey {
    platform::VirtualKeyCode keyCode;
    std::uint16_t evdevCode;
    KeyRole role;
};

constexpr KeyRole plain = KeyRole::ordinary;

// Virtual key codes by keyboard position (ANSI, plus the ISO and JIS extra keys).
// clang-format off
constexpr std::array virtualKeys{
    VirtualKey{0, KEY_A, plain},           VirtualKey{1, KEY_S, plain},
    VirtualKey{2, KEY_D, plain},           VirtualKey{3, KEY_F, plain},
    VirtualKey{4, KEY_H, plain},           VirtualKey{5, KEY_G, plain},
    VirtualKey{6, KEY_Z, plain},           VirtualKey{7, KEY_X, plain},
    VirtualKey{8, KEY_C, plain},           VirtualKey{9, KEY_V, plain},
    VirtualKey{10, KEY_102ND, plain},      VirtualKey{11, KEY_B, plain},
    VirtualKey{12, KEY_Q, plain},          VirtualKey{13, KEY_W, plain},
    VirtualKey{14, KEY_E, plain},          VirtualKey{15, KEY_R, plain},
    VirtualKey{16, KEY_Y, plain},          VirtualKey{17, KEY_T, plain},
    VirtualKey{18, KEY_1, plain},          VirtualKey{19, KEY_2, plain},
    VirtualKey{20, KEY_3, plain},          VirtualKey{21, KEY_4, plain},
    VirtualKey{22, KEY_6, plain},          VirtualKey{23, KEY_5, plain},
    VirtualKey{24, KEY_EQUAL, plain},      VirtualKey{25, KEY_9, plain},
    VirtualKey{26, KEY_7, plain},          VirtualKey{27, KEY_MINUS, plain},
    VirtualKey{28, KEY_8, plain},          VirtualKey{29, KEY_0, plain},
    VirtualKey{30, KEY_RIGHTBRACE, plain}, VirtualKey{31, KEY_O, plain},
    VirtualKey{32, KEY_U, plain},          VirtualKey{33, KEY_LEFTBRACE, plain},
    VirtualKey{34, KEY_I, plain},          VirtualKey{35, KEY_P, plain},
    VirtualKey{36, KEY_ENTER, plain},      VirtualKey{37, KEY_L, plain},
    VirtualKey{38, KEY_J, plain},          VirtualKey{39, KEY_APOSTROPHE, plain},
    VirtualKey{40, KEY_K, plain},          VirtualKey{41, KEY_SEMICOLON, plain},
    VirtualKey{42, KEY_BACKSLASH, plain},  VirtualKey{43, KEY_COMMA, plain},
    VirtualKey{44, KEY_SLASH, plain},      VirtualKey{45, KEY_N, plain},
    VirtualKey{46, KEY_M, plain},          VirtualKey{47, KEY_DOT, plain},
    VirtualKey{48, KEY_TAB, plain},        VirtualKey{49, KEY_SPACE, plain},
    VirtualKey{50, KEY_GRAVE, plain},      VirtualKey{51, KEY_BACKSPACE, plain},
    VirtualKey{53, KEY_ESC, plain},
    VirtualKey{54, KEY_RIGHTALT, KeyRole::commandKey},
    VirtualKey{55, KEY_LEFTALT, KeyRole::commandKey},
    VirtualKey{56, KEY_LEFTSHIFT, KeyRole::modifier},
    VirtualKey{57, KEY_CAPSLOCK, plain},
    VirtualKey{58, KEY_LEFTALT, KeyRole::modifier},
    VirtualKey{59, KEY_LEFTCTRL, KeyRole::modifier},
    VirtualKey{60, KEY_RIGHTSHIFT, KeyRole::modifier},
    VirtualKey{61, KEY_RIGHTALT, KeyRole::modifier},
    VirtualKey{62, KEY_RIGHTCTRL, KeyRole::modifier},
    VirtualKey{64, KEY_F17, plain},        VirtualKey{65, KEY_KPDOT, plain},
    VirtualKey{67, KEY_KPASTERISK, plain}, VirtualKey{69, KEY_KPPLUS, plain},
    VirtualKey{71, KEY_NUMLOCK, plain},    VirtualKey{72, KEY_VOLUMEUP, plain},
    VirtualKey{73, KEY_VOLUMEDOWN, plain}, VirtualKey{74, KEY_MUTE, plain},
    VirtualKey{75, KEY_KPSLASH, plain},    VirtualKey{76, KEY_KPENTER, plain},
    VirtualKey{78, KEY_KPMINUS, plain},    VirtualKey{79, KEY_F18, plain},
    VirtualKey{80, KEY_F19, plain},        VirtualKey{81, KEY_KPEQUAL, plain},
    VirtualKey{82, KEY_KP0, plain},        VirtualKey{83, KEY_KP1, plain},
    VirtualKey{84, KEY_KP2, plain},        VirtualKey{85, KEY_KP3, plain},
    VirtualKey{86, KEY_KP4, plain},        VirtualKey{87, KEY_KP5, plain},
    VirtualKey{88, KEY_KP6, plain},        VirtualKey{89, KEY_KP7, plain},
    VirtualKey{90, KEY_F20, plain},        VirtualKey{91, KEY_KP8, plain},
    VirtualKey{92, KEY_KP9, plain},        VirtualKey{93, KEY_YEN, plain},
    VirtualKey{94, KEY_RO, plain},         VirtualKey{95, KEY_KPJPCOMMA, plain},
    VirtualKey{96, KEY_F5, plain},         VirtualKey{97, KEY_F6, plain},
    VirtualKey{98, KEY_F7, plain},         VirtualKey{99, KEY_F3, plain},
    VirtualKey{100, KEY_F8, plain},        VirtualKey{101, KEY_F9, plain},
    VirtualKey{102, KEY_HANJA, plain},     VirtualKey{103, KEY_F11, plain},
    VirtualKey{104, KEY_HANGEUL, plain},   VirtualKey{105, KEY_F13, plain},
    VirtualKey{106, KEY_F16, plain},       VirtualKey{107, KEY_F14, plain},
    VirtualKey{109, KEY_F10, plain},       VirtualKey{110, KEY_COMPOSE, plain},
    VirtualKey{111, KEY_F12, plain},       VirtualKey{113, KEY_F15, plain},
    VirtualKey{114, KEY_INSERT, plain},    VirtualKey{115, KEY_HOME, plain},
    VirtualKey{116, KEY_PAGEUP, plain},    VirtualKey{117, KEY_DELETE, plain},
    VirtualKey{118, KEY_F4, plain},        VirtualKey{119, KEY_END, plain},
    VirtualKey{120, KEY_F2, plain},        VirtualKey{121, KEY_PAGEDOWN, plain},
    VirtualKey{122, KEY_F1, plain},        VirtualKey{123, KEY_LEFT, plain},
    VirtualKey{124, KEY_RIGHT, plain},     VirtualKey{125, KEY_DOWN, plain},
    VirtualKey{126, KEY_UP, plain},
};

// Auxiliary key types of system-defined events.
constexpr std::array<std::pair<std::int64_t, std::uint16_t>, 6> mediaKeys{{
    {0, KEY_VOLUMEUP},
    {1, KEY_VOLUMEDOWN},
    {7, KEY_MUTE},
    {16, KEY_PLAYPAUSE},
    {17, KEY_NEXTSONG},
    {18, KEY_PREVIOUSSONG},
}};
// clang-format on

}  // namespace

std::optional<KeyMapping> keyMappingFor(platform::VirtualKeyCode keyCode)
{
    const auto* found = std::find_if(virtualKeys.begin(), virtualKeys.end(),
                                     [keyCode](const VirtualKey& key) { return key.keyCode == keyCode; });
    if (found == virtualKeys.end()) return std::nullopt;
    return KeyMapping{found->evdevCode, found->role};
}

std::optional<std::uint16_t> mediaKeyFor(std::int64_t keyType)
{
    for (const auto& [type, code] : mediaKeys) {
        if (type == keyType) return code;
    }
    return std::nullopt;
}

std::vector<std::uint16_t> allEvdevKeys()
{
    std::vector<std::uint16_t> keys;
    for (const VirtualKey& key : virtualKeys) keys.push_back(key.evdevCode);
    for (const auto& [type, code] : mediaKeys) keys.push_back(code);
    keys.push_back(KEY_LEFTCTRL);
    keys.push_back(KEY_LEFTMETA);  // the Command flag of chords
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    return keys;
}

}  // namespace quorvel::linux_backend
