#pragma once

#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "platform/linux/multitouch/DeviceDescription.h"
#include "platform/linux/multitouch/MultitouchDecoder.h"
#include "platform/UniqueFd.h"

struct libevdev;

namespace quorvel::linux_backend {

// An evdev device opened read-only and non-blocking, with its libevdev handle.
class EvdevDevice {
public:
    // The open device, or the errno value of the failure.
    static std::variant<EvdevDevice, int> open(const std::string& path);

    EvdevDevice(EvdevDevice&&) noexcept = default;
    EvdevDevice& operator=(EvdevDevice&&) noexcept = default;

    int fd() const { return fd_.get(); }
    libevdev* handle() const { return device_.get(); }

    DeviceDescription description() const;
    // The touches on the surface right now, per slot, and the slot events go to.
    std::vector<SlotSeed> slotSeeds() const;
    int currentSlot() const;

private:
    struct Free {
        void operator()(libevdev* device) const;
    };
    EvdevDevice(platform::UniqueFd fd, std::unique_ptr<libevdev, Free> device);

    platform::UniqueFd fd_;
    std::unique_ptr<libevdev, Free> device_;  // declared last: freed before the fd closes
};

}  // namespace quorvel::linux_backend
