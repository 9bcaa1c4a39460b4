#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace quorvel::platform {

// A 128-bit identifier. Text form: 8-4-4-4-12 hexadecimal digits.
struct Uuid {
    std::array<std::uint8_t, 16> bytes{};

    // Accepts upper- and lower-case digits; anything else than the 36-character form is absent.
    static std::optional<Uuid> fromString(std::string_view text);
    // Upper-case digits.
    std::string toString() const;

    friend bool operator==(const Uuid&, const Uuid&) = default;
};

// Source of fresh random UUIDs.
class UuidSource {
public:
    virtual ~UuidSource() = default;
    virtual Uuid make() = 0;
};

}  // namespace quorvel::platform

template <>
struct std::hash<quorvel::platform::Uuid> {
    std::size_t operator()(const quorvel::platform::Uuid& uuid) const noexcept
    {
        std::size_t h = 0;
        for (auto b : uuid.bytes) h = h * 131 + b;
        return h;
    }
};
