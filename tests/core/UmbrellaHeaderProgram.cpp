// Uses nothing but the umbrella header: if it is missing a piece, this stops compiling.
#include <QuorvelCore.h>

namespace {

quorvel::ContactFrame frameAt(double timestamp, bool fingerDown)
{
    quorvel::ContactFrame frame{.deviceID = 1, .frame = 0, .timestamp = timestamp, .contacts = {}};
    if (fingerDown) frame.contacts.push_back(quorvel::TrackpadContact{7, 1, quorvel::TrackpadPoint{0.9, 0.9}, 1.0});
    return frame;
}

}  // namespace

int main()
{
    quorvel::TrackpadGestureRecognizer recognizer(quorvel::RecognizerConfiguration{0.3, 0.45, 0.2, 0.28, 0.08});
    std::size_t touchEvents = 0;
    for (const double t : {1.0, 1.1, 1.3, 1.4}) touchEvents += recognizer.ingest(frameAt(t, t == 1.0 || t == 1.3)).size();

    const quorvel::TrackpadGesture expected{quorvel::TrackpadCorner::topRight, quorvel::TapPattern::doubleTap, 1.4};
    const bool held = recognizer.pendingDoubleTapGesture() == expected;
    const std::vector<quorvel::TrackpadGesture> released = recognizer.flushPendingDoubleTap(1.4, true);
    const bool delivered = released.size() == 1 && released.front() == expected;
    return touchEvents == 4 && held && delivered && !recognizer.pendingDoubleTapGesture() ? 0 : 1;
}
