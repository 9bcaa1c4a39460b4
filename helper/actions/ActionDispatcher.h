#pragma once

#include <QuorvelCore/TrackpadGesture.h>

#include "helper/actions/AccessibilityGate.h"
#include "helper/actions/ActionServices.h"
#include "helper/actions/AppleShortcutCatalog.h"
#include "helper/actions/ApplicationSwitching.h"
#include "helper/actions/InputSources.h"
#include "helper/actions/InstalledAppCatalog.h"
#include "helper/actions/Launching.h"
#include "helper/actions/MediaKeys.h"
#include "helper/actions/SystemKeys.h"
#include "helper/actions/TextSnippets.h"
#include "helper/configuration/AppConfiguration.h"

// Performs configured actions on the desktop. Every operation runs on the main
// thread, returns at once and reports nothing to its caller: the feedback is the alert
// sound, the system's accessibility prompt, and one log line for an action that fails.
namespace quorvel::ActionDispatcher {

// Performs `action`, triggered by `gesture`. Neither the action's enabled state nor
// its identifier nor the gesture changes what is done.
void run(const ActionServices& services, const AssignedAction& action, const TrackpadGesture& gesture);

}  // namespace quorvel::ActionDispatcher
