#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "QuorvelCore/ContactFrame.h"
#include "QuorvelCore/RecognizerConfiguration.h"
#include "QuorvelCore/RecognizerEvent.h"
#include "QuorvelCore/TrackpadCorner.h"
#include "QuorvelCore/TrackpadGesture.h"
#include "QuorvelCore/TrackpadPoint.h"

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
    // The one contact being tracked; only a contact that landed in a corner is.
    struct ActiveTouch {
        std::int32_t identifier = 0;
        std::optional<TrackpadCorner> corner;  // of the starting position, fixed
        double startedAt = 0;                  // frame time at which tracking began
        TrackpadPoint startPosition;
        TrackpadPoint lastPosition;  // in the latest frame that still held the contact
        double maxTravel = 0;        // farthest distance from startPosition so far
    };

    // Tap sequence states, by number of counted taps. `twoTaps` holds a double tap back
    // because a third tap may still follow; a third tap is reported at once and resets.
    static constexpr int noTaps = 0;
    static constexpr int oneTap = 1;
    static constexpr int twoTaps = 2;
    static constexpr int threeTaps = 3;

    // Samples of the tracked contact are reported no more often than this (seconds).
    static constexpr double sampleInterval = 0.2;

    using Events = std::vector<RecognizerEvent>;

    std::optional<TrackpadCorner> cornerOf(TrackpadPoint point) const;
    static bool isValid(const TrackpadContact& contact);
    double sequenceWindow() const;
    void resetSequence();
    void resetSequenceIfWindowExceeded(double timestamp);

    // The steps of one frame, in the order they run.
    void releaseExpiredDoubleTap(double timestamp, Events& events);
    void collectValidContacts(const ContactFrame& frame);
    void beginTrackingCornerCandidate(const ContactFrame& frame, Events& events);
    void continueTrackedTouch(const ContactFrame& frame, Events& events);
    void endTrackedTouch(double timestamp, Events& events);

    // The end of a touch that was a tap in `corner`; a completed triple tap, if any.
    std::optional<TrackpadGesture> countTap(TrackpadCorner corner, double timestamp);

    TouchSnapshot snapshot(const ContactFrame& frame, const TrackpadContact& contact) const;

    RecognizerConfiguration configuration_;
    std::optional<ActiveTouch> activeTouch_;
    double lastSampleTimestamp_ = 0;
    double lastTapTimestamp_ = 0;
    std::optional<TrackpadCorner> lastTapCorner_;
    int tapCount_ = noTaps;
    std::optional<TrackpadGesture> pendingDoubleTap_;

    // Indices of the current frame's valid contacts, in frame order. Kept between frames
    // so that its storage is reused and a frame normally allocates nothing.
    std::vector<std::size_t> validContacts_;
};

}  // namespace quorvel
