#pragma once

#include <memory>

#include "platform/linux/input/Bell.h"

struct ca_context;

namespace quorvel::linux_backend {

// The "bell" sound of the user's freedesktop sound theme, played through libcanberra
// (which plays asynchronously). The context is made on the first ring and kept.
class CanberraBell final : public Bell {
public:
    bool ring() override;

private:
    struct ContextDestroy {
        void operator()(ca_context* context) const;
    };
    std::unique_ptr<ca_context, ContextDestroy> context_;
};

}  // namespace quorvel::linux_backend
