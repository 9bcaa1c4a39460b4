#pragma once

#include <memory>
#include <tuple>
#include <vector>

#include "platform/linux/input/MonotonicClock.h"
#include "platform/linux/input/VirtualKeyboard.h"

namespace quorvel::testing {

// Type, code and value of an event written to a virtual keyboard.
using WrittenEvent = std::tuple<std::uint16_t, std::uint16_t, std::int32_t>;

// Virtual keyboards that all record into `written`; making one fails with `failWith` when
// set, and while `refuseWrites` holds every keyboard made so far refuses events.
struct RecordingKeyboardFactory final : linux_backend::VirtualKeyboardFactory {
    struct Keyboard final : linux_backend::VirtualKeyboard {
        explicit Keyboard(RecordingKeyboardFactory& owner) : factory(owner) {}
        bool write(std::uint16_t type, std::uint16_t code, std::int32_t value) override
        {
            if (!factory.refuseWrites) factory.written.emplace_back(type, code, value);
            return !factory.refuseWrites;
        }
        RecordingKeyboardFactory& factory;
    };
    linux_backend::VirtualKeyboardCreation create() override
    {
        if (failWith != 0) return linux_backend::CreationError{failWith};
        ++created;
        return std::make_unique<Keyboard>(*this);
    }
    int failWith = 0;
    int created = 0;
    bool refuseWrites = false;
    std::vector<WrittenEvent> written;
};

// Moves only when the test moves it.
struct ManualMonotonicClock final : linux_backend::MonotonicClock {
    double now() const override { return time; }
    double time = 5000.0;
};

}  // namespace quorvel::testing
