#include "helper/configuration/ActionKind.h"

#include <cstdint>
#include <type_traits>

namespace {

// Order-sensitive combination, so that {a, b} and {b, a} hash apart.
class Hasher {
public:
    template <class T>
    void feed(const T& value)
    {
        combine(std::hash<T>{}(value));
    }
    void feed(const std::optional<std::string>& text)
    {
        feed(std::uint8_t{text.has_value() ? std::uint8_t{1} : std::uint8_t{0}});
        if (text) feed(*text);
    }
    std::size_t result() const { return state_; }

private:
    void combine(std::size_t h) { state_ ^= h + 0x9e3779b97f4a7c15ULL + (state_ << 6) + (state_ >> 2); }
    std::size_t state_ = 0;
};

}  // namespace

std::size_t std::hash<quorvel::ActionKind>::operator()(const quorvel::ActionKind& kind) const noexcept
{
    using quorvel::ActionKind;
    Hasher hasher;
    hasher.feed(kind.value.index());
    std::visit(
        [&hasher](const auto& payload) {
            using Payload = std::decay_t<decltype(payload)>;
            if constexpr (std::is_same_v<Payload, ActionKind::OpenApp>) {
                hasher.feed(payload.name);
                hasher.feed(payload.bundleIdentifier);
            } else if constexpr (std::is_same_v<Payload, ActionKind::OpenURL>) {
                hasher.feed(payload.urlString);
            } else if constexpr (std::is_same_v<Payload, ActionKind::Media>) {
                hasher.feed(payload.command);
            } else if constexpr (std::is_same_v<Payload, ActionKind::TextSnippet>) {
                hasher.feed(payload.text);
            } else if constexpr (std::is_same_v<Payload, ActionKind::RunShortcut>) {
                hasher.feed(payload.name);
            }
        },
        kind.value);
    return hasher.result();
}
