#pragma once

#include <cstdint>
#include <optional>

namespace quorvel::platform {

// Virtual key codes of the reference keyboard layout (ANSI positions).
using VirtualKeyCode = std::uint16_t;
namespace key_code {
inline constexpr VirtualKeyCode v = 9;
inline constexpr VirtualKeyCode tab = 48;
inline constexpr VirtualKeyCode command = 55;
}  // namespace key_code

// Modifier flag masks of keyboard events.
using EventFlags = std::uint64_t;
namespace event_flag {
inline constexpr EventFlags shift = 0x20000;
inline constexpr EventFlags control = 0x40000;
inline constexpr EventFlags option = 0x80000;
inline constexpr EventFlags command = 0x100000;
}  // namespace event_flag

enum class EventSourceState : std::int32_t { hidSystemState = 1 };
enum class EventTapLocation : std::int32_t { hidEventTap = 0 };

struct KeyboardEvent {
    VirtualKeyCode keyCode = 0;
    bool keyDown = true;
    std::optional<EventFlags> flags;  // absent: the flags were not set explicitly

    friend bool operator==(const KeyboardEvent&, const KeyboardEvent&) = default;
};

// A system-defined (auxiliary key) event, as media keys are posted.
struct SystemDefinedEvent {
    std::int32_t type = 14;  // system-defined
    double locationX = 0;
    double locationY = 0;
    std::uint64_t modifierFlags = 0;  // state × 256
    double timestamp = 0;
    std::int64_t windowNumber = 0;
    std::int16_t subtype = 8;
    std::int64_t data1 = 0;  // key type << 16 | state << 8
    std::int64_t data2 = -1;

    friend bool operator==(const SystemDefinedEvent&, const SystemDefinedEvent&) = default;
};

// Posts synthetic input. Each post creates the event from a source in the given
// state; false when the event could not be created (then nothing was posted).
class EventTap {
public:
    virtual ~EventTap() = default;
    virtual bool postKeyboardEvent(EventSourceState source, EventTapLocation tap, const KeyboardEvent& event) = 0;
    virtual bool postSystemDefinedEvent(EventTapLocation tap, const SystemDefinedEvent& event) = 0;
};

}  // namespace quorvel::platform
