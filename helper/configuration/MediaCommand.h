#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace quorvel {

// A media key. Behaves like an enumeration and adds the raw-value text form.
class MediaCommand {
public:
    enum Value : std::uint8_t { playPause, nextTrack, previousTrack, mute, volumeUp, volumeDown };

    constexpr MediaCommand(Value value) : value_(value) {}  // NOLINT: implicit by design
    constexpr operator Value() const { return value_; }    // NOLINT: implicit by design

    // Exact, case-sensitive; any other text yields no command.
    static constexpr std::optional<MediaCommand> fromRawValue(std::string_view raw);
    static constexpr std::array<MediaCommand, 6> allCases();

    constexpr std::string_view rawValue() const;
    std::string id() const { return std::string(rawValue()); }

private:
    Value value_;
};

constexpr std::array<MediaCommand, 6> MediaCommand::allCases()
{
    return {playPause, nextTrack, previousTrack, mute, volumeUp, volumeDown};
}

constexpr std::string_view MediaCommand::rawValue() const
{
    switch (value_) {
    case playPause: return "playPause";
    case nextTrack: return "nextTrack";
    case previousTrack: return "previousTrack";
    case mute: return "mute";
    case volumeUp: return "volumeUp";
    case volumeDown: return "volumeDown";
    }
    return {};
}

constexpr std::optional<MediaCommand> MediaCommand::fromRawValue(std::string_view raw)
{
    for (MediaCommand command : allCases()) {
        if (command.rawValue() == raw) return command;
    }
    return std::nullopt;
}

}  // namespace quorvel

template <>
struct std::hash<quorvel::MediaCommand> {
    std::size_t operator()(quorvel::MediaCommand command) const noexcept
    {
        return std::hash<std::string_view>{}(command.rawValue());
    }
};
