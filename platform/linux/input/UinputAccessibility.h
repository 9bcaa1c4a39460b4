#pragma once

#include "platform/Accessibility.h"
#include "platform/linux/input/PermissionPrompt.h"
#include "platform/linux/input/VirtualKeyboardSlot.h"

namespace quorvel::linux_backend {

// The agent may post input events when its virtual keyboard exists or can be made now;
// asking for the permission tells the user how to grant write access to /dev/uinput.
class UinputAccessibility final : public platform::Accessibility {
public:
    UinputAccessibility(VirtualKeyboardSlot& keyboard, PermissionPrompt& prompt)
        : keyboard_(keyboard), prompt_(prompt)
    {
    }

    bool isProcessTrusted() override;
    bool isProcessTrustedWithOptions(const std::map<std::string, bool>& options) override;

private:
    VirtualKeyboardSlot& keyboard_;
    PermissionPrompt& prompt_;
};

}  // namespace quorvel::linux_backend
