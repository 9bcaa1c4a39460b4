#pragma once

#include "platform/linux/input/Bell.h"

namespace quorvel::linux_backend {

// The X server's bell on $DISPLAY; the display is opened for each ring (rings are rare).
class X11Bell final : public Bell {
public:
    bool ring() override;
};

}  // namespace quorvel::linux_backend
