#include "platform/linux/input/VirtualKeyboardSlot.h"

#include <cerrno>
#include <utility>

namespace quorvel::linux_backend {

VirtualKeyboardSlot::VirtualKeyboardSlot(VirtualKeyboardFactory& factory) : factory_(factory)
{
    acquire();
}

VirtualKeyboard* VirtualKeyboardSlot::acquire()
{
    if (keyboard_) return keyboard_.get();
    VirtualKeyboardCreation creation = factory_.create();
    if (auto* failure = std::get_if<CreationError>(&creation)) {
        lastError_ = failure->error;
        return nullptr;
    }
    keyboard_ = std::move(std::get<std::unique_ptr<VirtualKeyboard>>(creation));
    if (!keyboard_) {
        lastError_ = EIO;
        return nullptr;
    }
    lastError_ = 0;
    ++generation_;
    return keyboard_.get();
}

void VirtualKeyboardSlot::discard()
{
    keyboard_.reset();
}

}  // namespace quorvel::linux_backend
