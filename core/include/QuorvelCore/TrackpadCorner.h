#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace quorvel {

// One of the four corner zones. Behaves like an enumeration (`switch` works
// through the conversion to `Value`) and adds the raw-value text form.
class TrackpadCorner {
public:
    enum Value : std::uint8_t { topLeft, topRight, bottomLeft, bottomRight };

    constexpr TrackpadCorner(Value value) : value_(value) {}  // NOLINT: implicit by design
    constexpr operator Value() const { return value_; }      // NOLINT: implicit by design

    // Exact, case-sensitive; any other text yields no corner.
    static constexpr std::optional<TrackpadCorner> fromRawValue(std::string_view raw);
    static constexpr std::array<TrackpadCorner, 4> allCases();

    constexpr std::string_view rawValue() const;
    std::string id() const { return std::string(rawValue()); }

private:
    Value value_;
};

constexpr std::array<TrackpadCorner, 4> TrackpadCorner::allCases()
{
    return {topLeft, topRight, bottomLeft, bottomRight};
}

constexpr std::string_view TrackpadCorner::rawValue() const
{
    switch (value_) {
    case topLeft: return "topLeft";
    case topRight: return "topRight";
    case bottomLeft: return "bottomLeft";
    case bottomRight: return "bottomRight";
    }
    return {};
}

constexpr std::optional<TrackpadCorner> TrackpadCorner::fromRawValue(std::string_view raw)
{
    for (TrackpadCorner corner : allCases()) {
        if (corner.rawValue() == raw) return corner;
    }
    return std::nullopt;
}

}  // namespace quorvel

template <>
struct std::hash<quorvel::TrackpadCorner> {
    std::size_t operator()(quorvel::TrackpadCorner corner) const noexcept
    {
        return std::hash<std::string_view>{}(corner.rawValue());
    }
};
