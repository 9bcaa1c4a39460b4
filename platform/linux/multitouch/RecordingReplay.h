#pragma once

#include <functional>
#include <string>
#include <variant>
#include <vector>

#include <QuorvelCore.h>

#include "platform/linux/multitouch/DeviceDescription.h"
#include "platform/linux/multitouch/InputEvent.h"
#include "platform/linux/multitouch/MultitouchDecoder.h"

namespace quorvel::linux_backend {

// The frames of a recorded event stream, decoded exactly as the bridge decodes a live
// device, with times relative to the first event. Fails (with the reason) for a device
// the bridge would not read.
std::variant<std::vector<DecodedFrame>, std::string> decodeRecording(const DeviceDescription& description,
                                                                      const std::vector<InputEvent>& events);

// A decoded frame as the agent receives it through the framework's touch records.
ContactFrame toContactFrame(const DecodedFrame& frame, std::int32_t deviceID);

// One recogniser event and the frame time at which the agent would have it.
struct ReplayedEvent {
    double time = 0;
    RecognizerEvent event;

    friend bool operator==(const ReplayedEvent&, const ReplayedEvent&) = default;
};

// Runs frames through the recogniser with the agent's double-tap deferral, on the
// frames' own clock: a held double tap is released at once when its corner has no
// triple tap worth waiting for, else `tripleTapWindow` after the last frame seen while
// it was held. A double tap still held after the last frame is released the same way.
std::vector<ReplayedEvent> replayFrames(const std::vector<ContactFrame>& frames,
                                        const RecognizerConfiguration& configuration,
                                        const std::function<bool(TrackpadCorner)>& shouldWaitForTripleTap);

}  // namespace quorvel::linux_backend
