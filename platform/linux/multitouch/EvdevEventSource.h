#pragma once

#include "platform/linux/multitouch/EvdevDevice.h"
#include "platform/linux/multitouch/EventSource.h"

namespace quorvel::linux_backend {

// Events of an evdev device through libevdev. After SYN_DROPPED it hands out the
// SYN_DROPPED event, then libevdev's resynchronisation events (ending in a SYN_REPORT),
// then the ordinary stream again. Timestamps come from the monotonic clock, so that a
// change of the wall clock cannot stretch or reverse a tap.
class EvdevEventSource final : public EventSource {
public:
    explicit EvdevEventSource(EvdevDevice device);

    int fd() const override { return device_.fd(); }
    Status next(InputEvent& event) override;

private:
    EvdevDevice device_;
    bool resynchronising_ = false;
};

}  // namespace quorvel::linux_backend
