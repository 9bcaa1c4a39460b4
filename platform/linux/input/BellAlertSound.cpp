#include "platform/linux/input/BellAlertSound.h"

#include "platform/linux/input/CanberraBell.h"
#include "platform/linux/input/X11Bell.h"

namespace quorvel::linux_backend {

std::unique_ptr<BellAlertSound> BellAlertSound::desktop(platform::Logger logger)
{
    std::vector<std::unique_ptr<Bell>> bells;
    bells.push_back(std::make_unique<CanberraBell>());
    bells.push_back(std::make_unique<X11Bell>());
    return std::make_unique<BellAlertSound>(std::move(bells), std::move(logger));
}

void BellAlertSound::beep()
{
    for (const auto& bell : bells_) {
        if (bell->ring()) return;
    }
    logger_.info("\a");
}

}  // namespace quorvel::linux_backend
