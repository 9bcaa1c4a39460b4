// Uses nothing but the umbrella header: if it is missing a piece, this stops compiling.
#include <QuorvelCore.h>

int main()
{
    using namespace quorvel;
    TrackpadGestureRecognizer recognizer(RecognizerConfiguration{0.3, 0.45, 0.2, 0.28, 0.08});
    const std::vector<RecognizerEvent> began = recognizer.ingest(ContactFrame{1, 0, 1.0, {{7, 1, {0.9, 0.9}, 1.0}}});
    const TrackpadGesture none{TrackpadCorner::topRight, TapPattern::doubleTap, 0};
    return began.size() == 1 && recognizer.pendingDoubleTapGesture() != none ? 0 : 1;
}
