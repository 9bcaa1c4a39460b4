#include "platform/linux/desktop/KeyboardShortcutText.h"

#include <algorithm>
#include <iterator>
#include <cctype>
#include <string>
#include <utility>

namespace quorvel::linux_backend {
namespace {

constexpr std::int64_t shiftMask = 0x20000;
constexpr std::int64_t controlMask = 0x40000;
constexpr std::int64_t optionMask = 0x80000;
constexpr std::int64_t commandMask = 0x100000;

// Key names in lower case: X keysym names and Qt's, for the keys of the reference
// (ANSI) keyboard, with their virtual key codes.
constexpr std::pair<std::string_view, std::uint16_t> keyCodes[] = {
    {"a", 0},          {"s", 1},           {"d", 2},           {"f", 3},          {"h", 4},
    {"g", 5},          {"z", 6},           {"x", 7},           {"c", 8},          {"v", 9},
    {"b", 11},         {"q", 12},          {"w", 13},          {"e", 14},         {"r", 15},
    {"y", 16},         {"t", 17},          {"1", 18},          {"2", 19},         {"3", 20},
    {"4", 21},         {"6", 22},          {"5", 23},          {"equal", 24},     {"=", 24},
    {"9", 25},         {"7", 26},          {"minus", 27},      {"-", 27},         {"8", 28},
    {"0", 29},         {"bracketright", 30}, {"]", 30},        {"o", 31},         {"u", 32},
    {"bracketleft", 33}, {"[", 33},        {"i", 34},          {"p", 35},         {"return", 36},
    {"l", 37},         {"j", 38},          {"apostrophe", 39}, {"'", 39},         {"k", 40},
    {"semicolon", 41}, {";", 41},          {"backslash", 42},  {"\\", 42},        {"comma", 43},
    {",", 43},         {"slash", 44},      {"/", 44},          {"n", 45},         {"m", 46},
    {"period", 47},    {".", 47},          {"tab", 48},        {"space", 49},     {"grave", 50},
    {"`", 50},         {"backspace", 51},  {"escape", 53},     {"esc", 53},       {"f17", 64},
    {"kp_enter", 76},  {"enter", 76},      {"f18", 79},        {"f19", 80},       {"f20", 90},
    {"f5", 96},        {"f6", 97},         {"f7", 98},         {"f3", 99},        {"f8", 100},
    {"f9", 101},       {"f11", 103},       {"f13", 105},       {"f16", 106},      {"f14", 107},
    {"f10", 109},      {"f12", 111},       {"f15", 113},       {"insert", 114},   {"ins", 114},
    {"home", 115},     {"page_up", 116},   {"prior", 116},     {"pgup", 116},     {"delete", 117},
    {"del", 117},      {"f4", 118},        {"end", 119},       {"f2", 120},       {"page_down", 121},
    {"next", 121},     {"pgdown", 121},    {"f1", 122},        {"left", 123},     {"right", 124},
    {"down", 125},     {"up", 126},
};

std::string lowered(std::string_view text)
{
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return result;
}

// The mask bit of a modifier name; 0 for a modifier without an equivalent; nothing
// for a name that is no modifier.
std::optional<std::int64_t> modifierBit(const std::string& name)
{
    if (name == "shift") return shiftMask;
    if (name == "control" || name == "ctrl" || name == "primary") return controlMask;
    if (name == "alt" || name == "mod1") return optionMask;
    if (name == "super" || name == "mod4") return commandMask;
    if (name == "meta" || name == "hyper" || name == "mod2" || name == "mod3" || name == "mod5" ||
        name == "release" || name == "num") {
        return 0;
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::uint16_t> virtualKeyCodeForKeyName(std::string_view name)
{
    const std::string key = lowered(name);
    const auto found =
        std::find_if(std::begin(keyCodes), std::end(keyCodes), [&](const auto& entry) { return entry.first == key; });
    return found != std::end(keyCodes) ? std::optional<std::uint16_t>(found->second) : std::nullopt;
}

std::optional<HotKeyChord> parseGtkAccelerator(std::string_view accelerator)
{
    HotKeyChord chord;
    while (!accelerator.empty() && accelerator.front() == '<') {
        const std::size_t close = accelerator.find('>');
        if (close == std::string_view::npos) {
            return std::nullopt;
        }
        const auto bit = modifierBit(lowered(accelerator.substr(1, close - 1)));
        if (!bit || *bit == 0) {
            return std::nullopt;
        }
        chord.modifierMask |= *bit;
        accelerator.remove_prefix(close + 1);
    }
    const auto keyCode = virtualKeyCodeForKeyName(accelerator);
    if (!keyCode) {
        return std::nullopt;
    }
    chord.keyCode = *keyCode;
    return chord;
}

std::optional<HotKeyChord> parseKdeShortcut(std::string_view shortcut)
{
    HotKeyChord chord;
    // The key is after the last "+", unless the key itself is "+" (not on the
    // reference keyboard as a key of its own, so it is refused below).
    for (std::size_t plus = shortcut.find('+'); plus != std::string_view::npos && plus + 1 < shortcut.size();
         plus = shortcut.find('+')) {
        // KDE's "Meta" is the logo key, which GTK calls Super.
        const std::string name = lowered(shortcut.substr(0, plus));
        const auto bit = name == "meta" ? std::optional<std::int64_t>(commandMask) : modifierBit(name);
        if (!bit || *bit == 0) {
            return std::nullopt;
        }
        chord.modifierMask |= *bit;
        shortcut.remove_prefix(plus + 1);
    }
    const auto keyCode = virtualKeyCodeForKeyName(shortcut);
    if (!keyCode) {
        return std::nullopt;
    }
    chord.keyCode = *keyCode;
    return chord;
}

}  // namespace quorvel::linux_backend
