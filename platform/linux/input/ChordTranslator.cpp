#include "platform/linux/input/ChordTranslator.h"

#include <linux/input-event-codes.h>

#include <algorithm>
#include <array>

#include "platform/linux/input/KeyCodeTable.h"

namespace quorvel::linux_backend {
namespace {

constexpr std::int32_t systemDefinedType = 14;
constexpr std::int16_t auxiliaryKeySubtype = 8;
constexpr std::int64_t keyDownState = 10;
constexpr std::int64_t keyUpState = 11;

// Chord modifiers go down in this order and up in the reverse order.
constexpr std::array<std::uint16_t, 4> chordModifierOrder{KEY_LEFTCTRL, KEY_LEFTALT, KEY_LEFTSHIFT, KEY_LEFTMETA};

}  // namespace

std::optional<KeyTransitions> ChordTranslator::translate(const platform::KeyboardEvent& event)
{
    const std::optional<KeyMapping> mapping = keyMappingFor(event.keyCode);
    if (!mapping) return std::nullopt;
    switch (mapping->role) {
    case KeyRole::commandKey:
        return commandKeyEvent(mapping->evdevCode, event.keyDown);
    case KeyRole::modifier:
        return modifierKeyEvent(mapping->evdevCode, event.keyDown);
    case KeyRole::ordinary:
        break;
    }
    if (event.keyDown) return chordKeyDown(mapping->evdevCode, event.flags.value_or(0));
    return chordKeyUp(mapping->evdevCode);
}

std::optional<KeyTransitions> ChordTranslator::translate(const platform::SystemDefinedEvent& event)
{
    if (event.type != systemDefinedType || event.subtype != auxiliaryKeySubtype) return std::nullopt;
    const std::int64_t keyType = (event.data1 & 0xFFFF0000) >> 16;
    const std::int64_t state = (event.data1 >> 8) & 0xFF;
    const std::optional<std::uint16_t> code = mediaKeyFor(keyType);
    if (!code || (state != keyDownState && state != keyUpState)) return std::nullopt;
    return KeyTransitions{{*code, state == keyDownState}};
}

// The Command key on its own: Alt stays down until the Command key-up, however many
// Command presses came before it (as a held key is held once).
KeyTransitions ChordTranslator::commandKeyEvent(std::uint16_t code, bool keyDown)
{
    KeyTransitions out;
    if (keyDown) {
        hold(code, commandHold, out);
    } else {
        letGo(code, commandHold, out);
    }
    return out;
}

KeyTransitions ChordTranslator::modifierKeyEvent(std::uint16_t code, bool keyDown)
{
    KeyTransitions out;
    if (keyDown) {
        hold(code, modifierKey, out);
    } else {
        letGo(code, modifierKey, out);
    }
    return out;
}

// A chord key goes down with exactly the modifiers of its flags; those of an earlier chord
// that never saw its key-up and are not wanted now are released first.
KeyTransitions ChordTranslator::chordKeyDown(std::uint16_t code, platform::EventFlags flags)
{
    KeyTransitions out;
    const std::vector<std::uint16_t> wanted = chordModifiers(code, flags);
    for (auto it = chordModifierOrder.rbegin(); it != chordModifierOrder.rend(); ++it) {
        if (std::find(wanted.begin(), wanted.end(), *it) == wanted.end()) letGo(*it, chord, out);
    }
    for (std::uint16_t modifier : wanted) hold(modifier, chord, out);
    out.push_back({code, true});
    return out;
}

KeyTransitions ChordTranslator::chordKeyUp(std::uint16_t code)
{
    KeyTransitions out{{code, false}};
    for (auto it = chordModifierOrder.rbegin(); it != chordModifierOrder.rend(); ++it) letGo(*it, chord, out);
    return out;
}

bool ChordTranslator::commandHeld() const
{
    return std::any_of(holders_.begin(), holders_.end(),
                       [](const auto& entry) { return (entry.second & commandHold) != 0; });
}

// While the Command key is held (the switcher is open), the held Alt already carries the
// Command flag: a Tab with it moves through the switcher instead of getting another modifier.
// Otherwise Command is the logo key, in the Command key's place (desktop shortcuts such as
// Super+S arrive with it), except in the paste chord, which PC applications know as Ctrl+V.
std::vector<std::uint16_t> ChordTranslator::chordModifiers(std::uint16_t code, platform::EventFlags flags) const
{
    const bool command = (flags & platform::event_flag::command) != 0 && !commandHeld();
    const bool paste = command && code == KEY_V;
    std::vector<std::uint16_t> modifiers;
    if ((flags & platform::event_flag::control) != 0 || paste) modifiers.push_back(KEY_LEFTCTRL);
    if ((flags & platform::event_flag::option) != 0) modifiers.push_back(KEY_LEFTALT);
    if ((flags & platform::event_flag::shift) != 0) modifiers.push_back(KEY_LEFTSHIFT);
    if (command && !paste) modifiers.push_back(KEY_LEFTMETA);
    return modifiers;
}

void ChordTranslator::hold(std::uint16_t code, Holder holder, KeyTransitions& out)
{
    unsigned& holders = holders_[code];
    if (holders == 0) out.push_back({code, true});
    holders |= holder;
}

void ChordTranslator::letGo(std::uint16_t code, Holder holder, KeyTransitions& out)
{
    const auto found = holders_.find(code);
    if (found == holders_.end() || (found->second & holder) == 0) return;
    found->second &= ~static_cast<unsigned>(holder);
    if (found->second == 0) {
        holders_.erase(found);
        out.push_back({code, false});
    }
}

}  // namespace quorvel::linux_backend
