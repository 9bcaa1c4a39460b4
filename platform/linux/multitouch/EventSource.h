#pragma once

#include "platform/linux/multitouch/InputEvent.h"

namespace quorvel::linux_backend {

// A readable stream of input events behind a pollable, non-blocking descriptor.
class EventSource {
public:
    enum class Status {
        event,    // `event` holds the next event
        drained,  // nothing more to read until the descriptor is readable again
        gone,     // the device has disappeared or failed; nothing more will come
    };

    virtual ~EventSource() = default;
    virtual int fd() const = 0;
    virtual Status next(InputEvent& event) = 0;
};

}  // namespace quorvel::linux_backend
