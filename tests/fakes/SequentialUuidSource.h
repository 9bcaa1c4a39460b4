#pragma once

#include <cstdint>

#include "platform/Uuid.h"

namespace quorvel::testing {

// Hands out 00000000-0000-0000-0000-000000000001, ...02, ... in order.
class SequentialUuidSource final : public platform::UuidSource {
public:
    platform::Uuid make() override
    {
        ++issued_;
        platform::Uuid uuid;
        for (int i = 0; i < 8; ++i) {
            uuid.bytes[static_cast<std::size_t>(15 - i)] = static_cast<std::uint8_t>(issued_ >> (8 * i));
        }
        return uuid;
    }
    // How many UUIDs have been handed out.
    std::uint64_t issued() const { return issued_; }

private:
    std::uint64_t issued_ = 0;
};

}  // namespace quorvel::testing
