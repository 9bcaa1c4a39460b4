#pragma once

#include <cstdint>
#include <memory>

#include "platform/linux/input/VirtualKeyboard.h"

namespace quorvel::linux_backend {

// The agent's one virtual keyboard, shared by the event tap and the permission check.
// Made as early as possible and kept, because a desktop takes a moment to accept a new
// input device and would lose the first keys of a device made on demand; made again on
// the next use when making it failed or the device stopped taking events.
class VirtualKeyboardSlot {
public:
    // Tries to make the keyboard at once.
    explicit VirtualKeyboardSlot(VirtualKeyboardFactory& factory);

    // The keyboard, made now if there is none; null when it cannot be made.
    VirtualKeyboard* acquire();
    // Drops a keyboard that failed, so the next use makes a new one.
    void discard();

    // The errno of the last failed attempt to make the keyboard, 0 after a success.
    int lastError() const { return lastError_; }
    // Changes whenever a new keyboard replaces the previous one (no keys are down on it).
    std::uint64_t generation() const { return generation_; }

private:
    VirtualKeyboardFactory& factory_;
    std::unique_ptr<VirtualKeyboard> keyboard_;
    int lastError_ = 0;
    std::uint64_t generation_ = 0;
};

}  // namespace quorvel::linux_backend
