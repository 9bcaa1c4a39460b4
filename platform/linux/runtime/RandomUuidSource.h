#pragma once

#include "platform/Uuid.h"

namespace quorvel::linux_backend {

// Fresh version-4 (random) UUIDs from GLib's random source.
class RandomUuidSource final : public platform::UuidSource {
public:
    platform::Uuid make() override;
};

}  // namespace quorvel::linux_backend
