#pragma once

#include <array>
#include <functional>
#include <optional>

namespace quorvel {

// Number of taps of a gesture. A single tap is not a pattern.
class TapPattern {
public:
    enum Value : int { doubleTap = 2, tripleTap = 3 };

    constexpr TapPattern(Value value) : value_(value) {}  // NOLINT: implicit by design
    constexpr operator Value() const { return value_; }  // NOLINT: implicit by design

    // Any integer other than 2 or 3 yields no pattern.
    static constexpr std::optional<TapPattern> fromRawValue(int raw)
    {
        if (raw == doubleTap) return TapPattern(doubleTap);
        if (raw == tripleTap) return TapPattern(tripleTap);
        return std::nullopt;
    }
    static constexpr std::array<TapPattern, 2> allCases();

    constexpr int rawValue() const { return value_; }
    constexpr int id() const { return value_; }

private:
    Value value_;
};

constexpr std::array<TapPattern, 2> TapPattern::allCases() { return {doubleTap, tripleTap}; }

}  // namespace quorvel

template <>
struct std::hash<quorvel::TapPattern> {
    std::size_t operator()(quorvel::TapPattern pattern) const noexcept
    {
        return std::hash<int>{}(pattern.rawValue());
    }
};
