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
    // Once: the failed action has its own line, this one only says why nothing was heard.
    if (toldSilent_) return;
    toldSilent_ = true;
    logger_.info(
        "No alert sound can be played (neither the sound theme nor the X bell); failed actions are only logged");
}

}  // namespace quorvel::linux_backend
