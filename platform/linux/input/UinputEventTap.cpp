#include "platform/linux/input/UinputEventTap.h"

#include <linux/input-event-codes.h>

namespace quorvel::linux_backend {

bool UinputEventTap::postKeyboardEvent(platform::EventSourceState, platform::EventTapLocation,
                                       const platform::KeyboardEvent& event)
{
    VirtualKeyboard* keyboard = currentKeyboard();
    if (!keyboard) return false;
    const std::optional<KeyTransitions> transitions = translator_.translate(event);
    return transitions && post(*keyboard, *transitions);
}

bool UinputEventTap::postSystemDefinedEvent(platform::EventTapLocation, const platform::SystemDefinedEvent& event)
{
    VirtualKeyboard* keyboard = currentKeyboard();
    if (!keyboard) return false;
    const std::optional<KeyTransitions> transitions = ChordTranslator::translate(event);
    return transitions && post(*keyboard, *transitions);
}

// The keyboard to post on; a keyboard that replaced an earlier one has no key down, so
// the translator forgets what it held on the old one.
VirtualKeyboard* UinputEventTap::currentKeyboard()
{
    VirtualKeyboard* keyboard = keyboard_.acquire();
    if (keyboard && keyboard_.generation() != keyboardGeneration_) {
        keyboardGeneration_ = keyboard_.generation();
        translator_.reset();
    }
    return keyboard;
}

bool UinputEventTap::post(VirtualKeyboard& keyboard, const KeyTransitions& transitions)
{
    for (const KeyTransition& transition : transitions) {
        if (!keyboard.write(EV_KEY, transition.evdevCode, transition.pressed ? 1 : 0) ||
            !keyboard.write(EV_SYN, SYN_REPORT, 0)) {
            // A device that stopped taking events (uinput went away) is made anew next time.
            keyboard_.discard();
            return false;
        }
    }
    return true;
}

}  // namespace quorvel::linux_backend
