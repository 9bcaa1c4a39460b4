#include "platform/linux/input/CanberraBell.h"

#include <canberra.h>

namespace quorvel::linux_backend {

void CanberraBell::ContextDestroy::operator()(ca_context* context) const
{
    ca_context_destroy(context);
}

bool CanberraBell::ring()
{
    if (!context_) {
        ca_context* raw = nullptr;
        if (ca_context_create(&raw) != CA_SUCCESS) return false;
        context_.reset(raw);
        ca_context_change_props(raw, CA_PROP_APPLICATION_NAME, "Quorvel", nullptr);
    }
    return ca_context_play(context_.get(), 0, CA_PROP_EVENT_ID, "bell", CA_PROP_EVENT_DESCRIPTION,
                           "Touchpad corner action failed", nullptr) == CA_SUCCESS;
}

}  // namespace quorvel::linux_backend
