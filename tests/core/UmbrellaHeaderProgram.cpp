// Uses nothing but the umbrella header: if it is missing a piece, this stops compiling.
#include <QuorvelCore.h>

int main()
{
    using namespace quorvel;
    TrackpadGestureRecognizer recognizer(RecognizerConfiguration{0.3, 0.45, 0.2, 0.28, 0.08});
    const std::vector<TrackpadContact> finger{TrackpadContact{7, 1, TrackpadPoint{0.9, 0.9}, 1.0}};
    std::size_t touchEvents = 0;
    for (const double t : {1.0, 1.1, 1.3, 1.4}) {
        const bool down = t == 1.0 || t == 1.3;
        touchEvents += recognizer.ingest(ContactFrame{1, 0, t, down ? finger : std::vector<TrackpadContact>{}}).size();
    }
    const TrackpadGesture expected{TrackpadCorner::topRight, TapPattern::doubleTap, 1.4};
    const bool held = recognizer.pendingDoubleTapGesture() == expected;
    const bool released = recognizer.flushPendingDoubleTap(1.4, true) == std::vector{expected};
    return touchEvents == 4 && held && released && !recognizer.pendingDoubleTapGesture() ? 0 : 1;
}
