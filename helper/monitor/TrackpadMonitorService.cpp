// Creation, published state, gesture delivery and the deferral of double taps.
#include "helper/monitor/TrackpadMonitorService.h"

#include <utility>

#include "helper/monitor/AppContactRouting.h"
#include "helper/monitor/MonitorStatusText.h"

namespace quorvel {

TrackpadMonitorService::TrackpadMonitorService(const MonitorServices& services)
    : mainQueue_(services.mainQueue),
      wallClock_(services.wallClock),
      uuids_(services.uuids),
      systemEvents_(services.systemEvents),
      multitouch_(services.multitouch),
      gestureEventID_(services.uuids.make()),
      recognizer_(std::make_unique<TrackpadGestureRecognizer>(initialConfiguration)),
      logger_(services.logSink, "Quorvel", "TrackpadMonitor")
{
}

TrackpadMonitorService::~TrackpadMonitorService()
{
    // Work items, tasks, observers and the sink hold the service weakly and become
    // no-ops; only the framework binding and the callback's way to the queue need
    // undoing. Nothing is published from here.
    clearAppContactQueue(&mainQueue_);
    releaseBinding();
}

void TrackpadMonitorService::replaceRecognizer(const RecognizerConfiguration& configuration)
{
    recognizer_ = std::make_unique<TrackpadGestureRecognizer>(configuration);
    pendingDoubleTapDelay_ = configuration.tripleTapWindow;
}

void TrackpadMonitorService::update(const RecognizerConfiguration& configuration)
{
    currentConfiguration_ = configuration;
    // The old recogniser goes with whatever it held: no event, no delivery.
    replaceRecognizer(configuration);
    if (pendingFlushWorkItem_) {
        pendingFlushWorkItem_->cancel();
        pendingFlushWorkItem_.reset();
    }
}

void TrackpadMonitorService::ingest(const ContactFrame& frame)
{
    lastFrameReceivedAt_ = wallClock_.now();
    const auto events = recognizer_->ingest(frame);
    for (const auto& event : events) {
        if (const auto gesture = event.asGesture()) emit(*gesture);
    }
    if (emitPendingDoubleTapImmediatelyIfNeeded(frame.timestamp)) return;
    // A release scheduled by an earlier frame stays scheduled when nothing is held.
    if (recognizer_->pendingDoubleTapGesture()) schedulePendingDoubleFlush(frame.timestamp);
}

bool TrackpadMonitorService::emitPendingDoubleTapImmediatelyIfNeeded(double timestamp)
{
    const auto pending = recognizer_->pendingDoubleTapGesture();
    if (!pending) return false;
    if (!shouldWaitForTripleTap) return false;
    if (shouldWaitForTripleTap(pending->corner)) return false;
    if (pendingFlushWorkItem_) {
        pendingFlushWorkItem_->cancel();
        pendingFlushWorkItem_.reset();
    }
    // Each gesture keeps its own timestamp (the end of the second tap).
    for (const auto& gesture : recognizer_->flushPendingDoubleTap(timestamp, true)) emit(gesture);
    return true;
}

void TrackpadMonitorService::schedulePendingDoubleFlush(double timestamp)
{
    if (pendingFlushWorkItem_) pendingFlushWorkItem_->cancel();
    // The deadline is on the queue's clock; `timestamp` only says where the frame
    // clock stood, for the recogniser.
    pendingFlushWorkItem_ = mainQueue_.asyncAfter(
        pendingDoubleTapDelay_, startingMainTask(weakly([timestamp](TrackpadMonitorService& self) {
            const double releaseTime = timestamp + self.pendingDoubleTapDelay_;
            for (const auto& gesture : self.recognizer_->flushPendingDoubleTap(releaseTime, true)) {
                self.emit(gesture);
            }
            self.pendingFlushWorkItem_.reset();
        })));
}

void TrackpadMonitorService::emit(const TrackpadGesture& gesture)
{
    lastGesture_ = gesture;
    gestureEventID_ = uuids_.make();
    statusMessage_ = gestureStatusText(gesture);
    if (onGesture) onGesture(gesture);
}

}  // namespace quorvel
