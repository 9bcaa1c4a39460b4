#pragma once

#include <optional>
#include <vector>

#include "QuorvelCore/ContactFrame.h"
#include "QuorvelCore/RecognizerConfiguration.h"
#include "QuorvelCore/RecognizerEvent.h"
#include "QuorvelCore/TrackpadGesture.h"

namespace quorvel {

// Turns contact frames into corner double and triple taps. Deterministic: every
// decision comes from the frame timestamps; no clock, thread or I/O of its own.
// Not thread-safe: one owner calls everything from one thread.
class TrackpadGestureRecognizer {
public:
    explicit TrackpadGestureRecognizer(const RecognizerConfiguration& configuration);

    // Events produced by this frame, in order. Frames must come in arrival order.
    std::vector<RecognizerEvent> ingest(const ContactFrame& frame);

    // Releases the held double tap when `force` is set or its triple-tap window
    // has run out at `timestamp`; zero or one gesture.
    std::vector<TrackpadGesture> flushPendingDoubleTap(double timestamp, bool force);
    std::vector<TrackpadGesture> flush(double timestamp) { return flushPendingDoubleTap(timestamp, false); }

    const std::optional<TrackpadGesture>& pendingDoubleTapGesture() const { return pendingDoubleTap_; }

private:
    struct ActiveTouch;
    // Implementation details are private; see the source file.
    RecognizerConfiguration configuration_;
    std::optional<TrackpadGesture> pendingDoubleTap_;
};

}  // namespace quorvel
