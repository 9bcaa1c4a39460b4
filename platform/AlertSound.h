#pragma once

namespace quorvel::platform {

// The system alert sound (the beep).
class AlertSound {
public:
    virtual ~AlertSound() = default;
    virtual void beep() = 0;
};

}  // namespace quorvel::platform
