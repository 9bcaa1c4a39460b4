#pragma once

namespace quorvel::linux_backend {

// One way of sounding the desktop's bell.
class Bell {
public:
    virtual ~Bell() = default;
    // False when this way is not available now.
    virtual bool ring() = 0;
};

}  // namespace quorvel::linux_backend
