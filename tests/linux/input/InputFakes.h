#pragma once

#include <cerrno>
#include <memory>
#include <vector>

#include "platform/linux/input/DesktopNotifier.h"
#include "platform/linux/input/MonotonicClock.h"
#include "platform/linux/input/VirtualKeyboard.h"

namespace quorvel::testing {

struct WrittenEvent {
    std::uint16_t type;
    std::uint16_t code;
    std::int32_t value;
    friend bool operator==(const WrittenEvent&, const WrittenEvent&) = default;
};

// Virtual keyboards that record what is written to them, all into one list; a keyboard
// can be told to refuse writes, and the factory to fail with an errno.
class RecordingKeyboardFactory final : public linux_backend::VirtualKeyboardFactory {
public:
    class Keyboard final : public linux_backend::VirtualKeyboard {
    public:
        Keyboard(RecordingKeyboardFactory& factory, int number) : factory_(factory), number_(number) {}
        bool write(std::uint16_t type, std::uint16_t code, std::int32_t value) override
        {
            if (factory_.refuseWritesOf == number_) return false;
            factory_.written.push_back({type, code, value});
            return true;
        }

    private:
        RecordingKeyboardFactory& factory_;
        int number_;
    };

    linux_backend::VirtualKeyboardCreation create() override
    {
        ++attempts;
        if (failWith != 0) return linux_backend::CreationError{failWith};
        return std::make_unique<Keyboard>(*this, ++created);
    }

    int failWith = 0;     // errno of creation; 0: creation works
    int refuseWritesOf = 0;  // number of the keyboard (1 = first made) that refuses writes
    int attempts = 0;
    int created = 0;
    std::vector<WrittenEvent> written;
};

class RecordingNotifier final : public linux_backend::DesktopNotifier {
public:
    bool notify(const linux_backend::DesktopNotification& notification) override
    {
        if (!available) return false;
        shown.push_back(notification);
        return true;
    }
    bool available = true;
    std::vector<linux_backend::DesktopNotification> shown;
};

class ManualMonotonicClock final : public linux_backend::MonotonicClock {
public:
    double now() const override { return now_; }
    void advance(double seconds) { now_ += seconds; }

private:
    double now_ = 5000.0;
};

}  // namespace quorvel::testing
