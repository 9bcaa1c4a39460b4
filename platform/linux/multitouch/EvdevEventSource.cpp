#include "platform/linux/multitouch/EvdevEventSource.h"

#include <libevdev/libevdev.h>

#include <cerrno>
#include <ctime>

namespace quorvel::linux_backend {

namespace {

InputEvent toInputEvent(const input_event& raw)
{
    return InputEvent{static_cast<std::int64_t>(raw.input_event_sec), static_cast<std::int64_t>(raw.input_event_usec),
                      raw.type, raw.code, raw.value};
}

}  // namespace

EvdevEventSource::EvdevEventSource(EvdevDevice device) : device_(std::move(device))
{
    // Failure leaves the device on its default clock, which still works.
    libevdev_set_clock_id(device_.handle(), CLOCK_MONOTONIC);
}

EventSource::Status EvdevEventSource::next(InputEvent& event)
{
    for (;;) {
        input_event raw{};
        const unsigned flags = resynchronising_ ? LIBEVDEV_READ_FLAG_SYNC : LIBEVDEV_READ_FLAG_NORMAL;
        const int rc = libevdev_next_event(device_.handle(), flags, &raw);
        if (rc == LIBEVDEV_READ_STATUS_SUCCESS || rc == LIBEVDEV_READ_STATUS_SYNC) {
            // In normal mode the SYNC status comes with the SYN_DROPPED event itself.
            if (rc == LIBEVDEV_READ_STATUS_SYNC) resynchronising_ = true;
            event = toInputEvent(raw);
            return Status::event;
        }
        if (rc == -EAGAIN) {
            if (!resynchronising_) return Status::drained;
            resynchronising_ = false;  // resynchronised; back to the ordinary stream
            continue;
        }
        if (rc == -EINTR) continue;
        return Status::gone;  // -ENODEV when unplugged; any other failure ends reading too
    }
}

}  // namespace quorvel::linux_backend
