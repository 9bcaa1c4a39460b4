#pragma once

#include <cstdint>

#include "platform/EventTap.h"
#include "platform/linux/input/ChordTranslator.h"
#include "platform/linux/input/VirtualKeyboardSlot.h"

namespace quorvel::linux_backend {

// Posts the reference platform's keyboard and media events as PC key transitions on the
// agent's virtual keyboard, each key event followed by its SYN_REPORT. Both event sources
// and taps of the reference platform mean the same here: the one virtual keyboard.
class UinputEventTap final : public platform::EventTap {
public:
    explicit UinputEventTap(VirtualKeyboardSlot& keyboard) : keyboard_(keyboard) {}

    bool postKeyboardEvent(platform::EventSourceState source, platform::EventTapLocation tap,
                           const platform::KeyboardEvent& event) override;
    bool postSystemDefinedEvent(platform::EventTapLocation tap, const platform::SystemDefinedEvent& event) override;

private:
    VirtualKeyboard* currentKeyboard();
    bool post(VirtualKeyboard& keyboard, const KeyTransitions& transitions);

    VirtualKeyboardSlot& keyboard_;
    ChordTranslator translator_;
    std::uint64_t keyboardGeneration_ = 0;
};

}  // namespace quorvel::linux_backend
