#pragma once

#include <cstdint>
#include <memory>
#include <variant>

namespace quorvel::linux_backend {

// A keyboard device of our own that the desktop reads like any other.
class VirtualKeyboard {
public:
    virtual ~VirtualKeyboard() = default;
    // Writes one evdev event (type, code, value); false when the device refused it.
    virtual bool write(std::uint16_t type, std::uint16_t code, std::int32_t value) = 0;
};

// Why a virtual keyboard could not be made: the errno of the failed step.
struct CreationError {
    int error = 0;

    friend bool operator==(const CreationError&, const CreationError&) = default;
};

using VirtualKeyboardCreation = std::variant<std::unique_ptr<VirtualKeyboard>, CreationError>;

class VirtualKeyboardFactory {
public:
    virtual ~VirtualKeyboardFactory() = default;
    virtual VirtualKeyboardCreation create() = 0;
};

}  // namespace quorvel::linux_backend
