#include "QuorvelCore/TrackpadGestureRecognizer.h"

#include <cmath>
#include <utility>

namespace quorvel {

namespace {

// Devices report a handful of contacts; this covers every real frame without growing.
constexpr std::size_t typicalMaximumContacts = 16;

double distance(TrackpadPoint from, TrackpadPoint to)
{
    const double dx = to.x - from.x;
    const double dy = to.y - from.y;
    return std::sqrt(dx * dx + dy * dy);
}

// A released double tap, one touch event and a triple tap at most.
constexpr std::size_t maximumEventsPerFrame = 3;

// The first event of a frame reserves room for all of them, so a frame allocates once at most.
void append(std::vector<RecognizerEvent>& events, RecognizerEvent event)
{
    if (events.capacity() == 0) events.reserve(maximumEventsPerFrame);
    events.push_back(std::move(event));
}

bool canBeginTouch(std::int32_t state)
{
    return state == 1 || state == 2 || state == 3;
}

}  // namespace

TrackpadGestureRecognizer::TrackpadGestureRecognizer(const RecognizerConfiguration& configuration)
    : configuration_(configuration)
{
    validContacts_.reserve(typicalMaximumContacts);
}

// Zones overlap once they are half the surface deep; the order of the tests then decides.
std::optional<TrackpadCorner> TrackpadGestureRecognizer::cornerOf(TrackpadPoint point) const
{
    const double cz = configuration_.cornerZone;
    if (point.x <= cz && point.y >= 1 - cz) return TrackpadCorner::topLeft;
    if (point.x >= 1 - cz && point.y >= 1 - cz) return TrackpadCorner::topRight;
    if (point.x <= cz && point.y <= cz) return TrackpadCorner::bottomLeft;
    if (point.x >= 1 - cz && point.y <= cz) return TrackpadCorner::bottomRight;
    return std::nullopt;
}

bool TrackpadGestureRecognizer::isValid(const TrackpadContact& contact)
{
    const TrackpadPoint p = contact.normalizedPosition;
    return contact.state != 0 && std::isfinite(p.x) && std::isfinite(p.y) && 0 <= p.x && p.x <= 1 && 0 <= p.y
        && p.y <= 1;
}

double TrackpadGestureRecognizer::sequenceWindow() const
{
    return tapCount_ < twoTaps ? configuration_.doubleTapWindow : configuration_.tripleTapWindow;
}

// The last tap's time stays: only the sequence built on it is forgotten.
void TrackpadGestureRecognizer::resetSequence()
{
    tapCount_ = noTaps;
    pendingDoubleTap_.reset();
    lastTapCorner_.reset();
}

void TrackpadGestureRecognizer::resetSequenceIfWindowExceeded(double timestamp)
{
    if (sequenceWindow() < timestamp - lastTapTimestamp_) resetSequence();
}

std::vector<RecognizerEvent> TrackpadGestureRecognizer::ingest(const ContactFrame& frame)
{
    const double t = frame.timestamp;
    Events events;

    releaseExpiredDoubleTap(t, events);
    collectValidContacts(frame);
    if (validContacts_.empty()) {
        endTrackedTouch(t, events);
        return events;
    }
    if (!activeTouch_) {
        beginTrackingCornerCandidate(frame, events);
    } else {
        continueTrackedTouch(frame, events);
    }
    return events;
}

// Runs before anything else on every frame, whatever it holds, so a held double tap
// is never kept past its window by a stream of frames.
void TrackpadGestureRecognizer::releaseExpiredDoubleTap(double timestamp, Events& events)
{
    if (pendingDoubleTap_ && configuration_.tripleTapWindow <= timestamp - lastTapTimestamp_) {
        const TrackpadGesture released = *pendingDoubleTap_;
        resetSequence();
        append(events, RecognizerEvent::gesture(released));
    }
}

void TrackpadGestureRecognizer::collectValidContacts(const ContactFrame& frame)
{
    validContacts_.clear();
    for (std::size_t index = 0; index < frame.contacts.size(); ++index) {
        if (isValid(frame.contacts[index])) validContacts_.push_back(index);
    }
}

void TrackpadGestureRecognizer::beginTrackingCornerCandidate(const ContactFrame& frame, Events& events)
{
    const double t = frame.timestamp;
    const TrackpadContact* chosen = nullptr;
    std::optional<TrackpadCorner> chosenCorner;
    for (const std::size_t index : validContacts_) {
        const TrackpadContact& contact = frame.contacts[index];
        if (!canBeginTouch(contact.state)) continue;
        const std::optional<TrackpadCorner> corner = cornerOf(contact.normalizedPosition);
        if (!corner) continue;
        // Ties go to the contact listed first.
        if (chosen == nullptr || chosen->size < contact.size) {
            chosen = &contact;
            chosenCorner = corner;
        }
    }

    if (chosen == nullptr) {
        resetSequenceIfWindowExceeded(t);
        return;
    }

    activeTouch_ = ActiveTouch{
        .identifier = chosen->identifier,
        .corner = chosenCorner,
        .startedAt = t,
        .startPosition = chosen->normalizedPosition,
        .lastPosition = chosen->normalizedPosition,
        .maxTravel = 0,
    };
    lastSampleTimestamp_ = t;
    append(events, RecognizerEvent::touchBegan(snapshot(frame, *chosen)));
}

// Frames of every device are matched alike: only the identifier counts.
void TrackpadGestureRecognizer::continueTrackedTouch(const ContactFrame& frame, Events& events)
{
    const double t = frame.timestamp;
    const TrackpadContact* tracked = nullptr;
    for (const std::size_t index : validContacts_) {
        if (frame.contacts[index].identifier == activeTouch_->identifier) {
            tracked = &frame.contacts[index];
            break;
        }
    }
    if (tracked == nullptr) {
        endTrackedTouch(t, events);
        return;
    }

    const TrackpadPoint p = tracked->normalizedPosition;
    // The farthest point counts, not the path: a finger that wanders off and back is no tap.
    const double d = distance(activeTouch_->startPosition, p);
    if (activeTouch_->maxTravel <= d) activeTouch_->maxTravel = d;
    activeTouch_->lastPosition = p;

    if (t - lastSampleTimestamp_ < sampleInterval) return;
    lastSampleTimestamp_ = t;
    append(events, RecognizerEvent::touchSample(snapshot(frame, *tracked)));
}

void TrackpadGestureRecognizer::endTrackedTouch(double timestamp, Events& events)
{
    if (!activeTouch_) return;
    const ActiveTouch touch = *activeTouch_;

    const double duration = timestamp - touch.startedAt;
    const double travel = touch.maxTravel;
    const std::optional<TrackpadCorner> endCorner = cornerOf(touch.lastPosition);
    const bool isTap = duration <= configuration_.maximumTapDuration && travel <= configuration_.maximumTapTravel
        && endCorner && touch.corner && *endCorner == *touch.corner;

    std::optional<TrackpadGesture> tripleTap;
    if (isTap) {
        tripleTap = countTap(*endCorner, timestamp);
    } else {
        // A long press or a slide neither counts nor breaks a sequence still in its window.
        resetSequenceIfWindowExceeded(timestamp);
    }

    activeTouch_.reset();
    append(events, RecognizerEvent::touchEnded(TouchEnd{touch.identifier, duration, travel}));
    if (tripleTap) append(events, RecognizerEvent::gesture(*tripleTap));
}

// A double tap is only held here; it leaves through the expiry at the start of a later
// frame or through flushPendingDoubleTap, unless a third tap or another corner replaces it.
std::optional<TrackpadGesture> TrackpadGestureRecognizer::countTap(TrackpadCorner corner, double timestamp)
{
    if (lastTapCorner_ == corner && timestamp - lastTapTimestamp_ <= sequenceWindow()) {
        ++tapCount_;
        lastTapTimestamp_ = timestamp;
        if (tapCount_ == threeTaps) {
            resetSequence();
            return TrackpadGesture{corner, TapPattern::tripleTap, timestamp};
        }
        if (tapCount_ == twoTaps) pendingDoubleTap_ = TrackpadGesture{corner, TapPattern::doubleTap, timestamp};
        return std::nullopt;
    }

    tapCount_ = oneTap;
    lastTapCorner_ = corner;
    lastTapTimestamp_ = timestamp;
    pendingDoubleTap_.reset();
    return std::nullopt;
}

std::vector<TrackpadGesture> TrackpadGestureRecognizer::flushPendingDoubleTap(double timestamp, bool force)
{
    if (!pendingDoubleTap_ || !(force || configuration_.tripleTapWindow <= timestamp - lastTapTimestamp_)) return {};
    const TrackpadGesture released = *pendingDoubleTap_;
    resetSequence();
    return {released};
}

TouchSnapshot TrackpadGestureRecognizer::snapshot(const ContactFrame& frame, const TrackpadContact& contact) const
{
    return TouchSnapshot{
        .deviceID = frame.deviceID,
        .frame = frame.frame,
        .identifier = contact.identifier,
        .state = contact.state,
        .position = contact.normalizedPosition,
        .corner = cornerOf(contact.normalizedPosition),
        .validContactCount = static_cast<std::ptrdiff_t>(validContacts_.size()),
        .totalContactCount = static_cast<std::ptrdiff_t>(frame.contacts.size()),
    };
}

}  // namespace quorvel
