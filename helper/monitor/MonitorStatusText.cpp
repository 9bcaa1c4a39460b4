#include "helper/monitor/MonitorStatusText.h"

namespace quorvel {

std::string_view cornerTitle(TrackpadCorner corner)
{
    switch (corner) {
    case TrackpadCorner::topLeft: return "Top Left";
    case TrackpadCorner::topRight: return "Top Right";
    case TrackpadCorner::bottomLeft: return "Bottom Left";
    case TrackpadCorner::bottomRight: return "Bottom Right";
    }
    return {};
}

std::string_view patternTitle(TapPattern pattern)
{
    switch (pattern) {
    case TapPattern::doubleTap: return "Double Tap";
    case TapPattern::tripleTap: return "Triple Tap";
    }
    return {};
}

std::string gestureStatusText(const TrackpadGesture& gesture)
{
    std::string text(cornerTitle(gesture.corner));
    text += ' ';
    text += patternTitle(gesture.pattern);
    return text;
}

std::string monitoringStatusText(long deviceCount)
{
    std::string text = "Monitoring " + std::to_string(deviceCount) + " multitouch device";
    if (deviceCount != 1) text += 's';
    return text;
}

}  // namespace quorvel
