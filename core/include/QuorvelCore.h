#pragma once

// The whole public surface of the tap recognition library.
#include "QuorvelCore/ContactFrame.h"
#include "QuorvelCore/RecognizerConfiguration.h"
#include "QuorvelCore/RecognizerEvent.h"
#include "QuorvelCore/TapPattern.h"
#include "QuorvelCore/TrackpadCorner.h"
#include "QuorvelCore/TrackpadGesture.h"
#include "QuorvelCore/TrackpadGestureRecognizer.h"
#include "QuorvelCore/TrackpadPoint.h"
