#pragma once

#include <string>
#include <string_view>

#include <QuorvelCore/TapPattern.h>
#include <QuorvelCore/TrackpadCorner.h>
#include <QuorvelCore/TrackpadGesture.h>

namespace quorvel {

// "Top Left", "Top Right", "Bottom Left", "Bottom Right".
std::string_view cornerTitle(TrackpadCorner corner);
// "Double Tap", "Triple Tap".
std::string_view patternTitle(TapPattern pattern);
// Corner title, one space, pattern title: "Bottom Right Triple Tap".
std::string gestureStatusText(const TrackpadGesture& gesture);
// "Monitoring 1 multitouch device", "Monitoring 2 multitouch devices".
std::string monitoringStatusText(long deviceCount);

}  // namespace quorvel
