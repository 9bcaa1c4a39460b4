#pragma once

#include <cstdint>

#include "platform/Uuid.h"

namespace quorvel::testing {

// Hands out 00000000-0000-0000-0000-000000000001, ...02, ... in order.
class SequentialUuidSource final : public platform::UuidSource {
public:
    platform::Uuid make() override
    {
        platform::Uuid uuid;
        ++issued_;
        for (std::size_t i = 0; i < 8; ++i) uuid.bytes[15 - i] = static_cast<std::uint8_t>(issued_ >> (8 * i));
        return uuid;
    }

private:
    std::uint64_t issued_ = 0;
};

}  // namespace quorvel::testing
