#pragma once

#include <memory>

#include "platform/linux/input/VirtualKeyboard.h"

struct libevdev;
struct libevdev_uinput;

namespace quorvel::linux_backend {

// A uinput keyboard made through libevdev, announcing every key the chord and media tables
// can produce. The device disappears when the object is destroyed.
class UinputKeyboard final : public VirtualKeyboard {
public:
    struct DeviceDeleter {
        void operator()(libevdev* device) const;
    };
    struct UinputDeleter {
        void operator()(libevdev_uinput* device) const;
    };

    UinputKeyboard(std::unique_ptr<libevdev, DeviceDeleter> description,
                   std::unique_ptr<libevdev_uinput, UinputDeleter> device);

    bool write(std::uint16_t type, std::uint16_t code, std::int32_t value) override;

private:
    std::unique_ptr<libevdev, DeviceDeleter> description_;
    std::unique_ptr<libevdev_uinput, UinputDeleter> device_;
};

// Makes UinputKeyboard devices through /dev/uinput.
class UinputKeyboardFactory final : public VirtualKeyboardFactory {
public:
    static constexpr const char* deviceName = "Quorvel virtual keyboard";

    VirtualKeyboardCreation create() override;
};

}  // namespace quorvel::linux_backend
