#pragma once

#include <memory>
#include <vector>

#include "platform/AlertSound.h"
#include "platform/Log.h"
#include "platform/linux/input/Bell.h"

namespace quorvel::linux_backend {

// The alert sound: the first bell that rings, in order. When none can, the log says so once.
class BellAlertSound final : public platform::AlertSound {
public:
    BellAlertSound(std::vector<std::unique_ptr<Bell>> bells, platform::Logger logger)
        : bells_(std::move(bells)), logger_(std::move(logger))
    {
    }

    // The sound theme's bell through libcanberra, then the X11 bell.
    static std::unique_ptr<BellAlertSound> desktop(platform::Logger logger);

    void beep() override;

private:
    std::vector<std::unique_ptr<Bell>> bells_;
    platform::Logger logger_;
    bool toldSilent_ = false;
};

}  // namespace quorvel::linux_backend
