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
class RecordingKeyboardFactory final : public linux_backend::VirtualKeyboardFactory {
public:
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

class ManualMonotonicClock final : public linux_backend::MonotonicClock {
public:
    double now() const override { return now_; }
    void advance(double seconds) { now_ += seconds; }

private:
    double now_ = 5000.0;
};

}  // namespace quorvel::testing
