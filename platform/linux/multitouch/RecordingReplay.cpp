#include "platform/linux/multitouch/RecordingReplay.h"

#include <linux/input-event-codes.h>

#include "platform/linux/multitouch/TouchpadClassification.h"

namespace quorvel::linux_backend {

std::variant<std::vector<DecodedFrame>, std::string> decodeRecording(const DeviceDescription& description,
                                                                      const std::vector<InputEvent>& events)
{
    const DeviceKind kind = classifyDevice(description);
    const bool multitouch = description.hasEventCode(EV_ABS, ABS_MT_POSITION_X);
    if (kind == DeviceKind::protocolAOnly) {
        return "the recorded touchpad reports multitouch protocol A only (contacts without slots), which the agent "
               "does not read";
    }
    if (!multitouch && description.hasEventCode(EV_KEY, BTN_TOOL_FINGER)) {
        return "the recorded touchpad reports no multitouch contacts (one position only), which the agent needs";
    }
    if (kind != DeviceKind::touchpad) {
        return "the recorded device is not one the bridge reads: " + std::string(describeDeviceKind(kind));
    }
    MultitouchDecoder decoder(touchpadAxes(description));
    std::vector<DecodedFrame> frames;
    if (events.empty()) return frames;
    // Whole microseconds first, so that relative times carry no rounding of large epochs.
    const std::int64_t origin = events.front().seconds * 1'000'000 + events.front().microseconds;
    for (InputEvent event : events) {
        const std::int64_t relative = event.seconds * 1'000'000 + event.microseconds - origin;
        event.seconds = relative / 1'000'000;
        event.microseconds = relative % 1'000'000;
        if (const DecodedFrame* frame = decoder.feed(event)) frames.push_back(*frame);
    }
    return frames;
}

ContactFrame toContactFrame(const DecodedFrame& frame, std::int32_t deviceID)
{
    ContactFrame result;
    result.deviceID = deviceID;
    result.frame = frame.frame;
    result.timestamp = frame.timestamp;
    result.contacts.reserve(frame.contacts.size());
    for (const DecodedContact& contact : frame.contacts) {
        // The records carry 32-bit floats; the agent widens them.
        result.contacts.push_back(TrackpadContact{contact.identifier, contact.state,
                                                  TrackpadPoint{static_cast<double>(contact.x), static_cast<double>(contact.y)},
                                                  static_cast<double>(contact.size)});
    }
    return result;
}

std::vector<ReplayedEvent> replayFrames(const std::vector<ContactFrame>& frames,
                                        const RecognizerConfiguration& configuration,
                                        const std::function<bool(TrackpadCorner)>& shouldWaitForTripleTap)
{
    TrackpadGestureRecognizer recognizer(configuration);
    const double delay = configuration.tripleTapWindow;
    bool releaseScheduled = false;
    double releaseAt = 0;  // frame time of the scheduled release
    std::vector<ReplayedEvent> replayed;

    const auto release = [&](double now) {
        for (const TrackpadGesture& gesture : recognizer.flushPendingDoubleTap(now, true)) {
            replayed.push_back({now, RecognizerEvent::gesture(gesture)});
        }
        releaseScheduled = false;
    };

    for (const ContactFrame& frame : frames) {
        if (releaseScheduled && releaseAt <= frame.timestamp) release(releaseAt);
        for (RecognizerEvent& event : recognizer.ingest(frame)) replayed.push_back({frame.timestamp, std::move(event)});
        const auto& pending = recognizer.pendingDoubleTapGesture();
        if (!pending) continue;
        if (!shouldWaitForTripleTap(pending->corner)) {
            release(frame.timestamp);
        } else {
            releaseScheduled = true;
            releaseAt = frame.timestamp + delay;
        }
    }
    if (releaseScheduled) release(releaseAt);
    return replayed;
}

}  // namespace quorvel::linux_backend
