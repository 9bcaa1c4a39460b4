#pragma once

#include "platform/Accessibility.h"
#include "platform/AlertSound.h"
#include "platform/ApplicationBundles.h"
#include "platform/EventTap.h"
#include "platform/KeyboardInputSources.h"
#include "platform/Log.h"
#include "platform/MainQueue.h"
#include "platform/Pasteboard.h"
#include "platform/PreferenceReader.h"
#include "platform/ProcessLauncher.h"
#include "platform/Workspace.h"

namespace quorvel {

// The platform services that actions act through, chosen once at the process entry.
// The referenced objects must outlive every action and every delayed step an action
// schedules (the Command release, the pasteboard restore) and the activation
// observer: in the agent they live until the process exits. Delayed steps keep
// references to the services themselves, never to this struct, so it may be a
// temporary.
struct ActionServices {
    platform::Workspace& workspace;
    platform::EventTap& eventTap;
    platform::Accessibility& accessibility;
    platform::Pasteboard& pasteboard;
    platform::KeyboardInputSources& inputSources;
    platform::PreferenceReader& preferences;
    platform::ProcessLauncher& processLauncher;
    platform::AlertSound& alertSound;
    platform::ApplicationBundles& applicationBundles;
    platform::MainQueue& mainQueue;
    // Where an action that fails says why (category "Actions").
    platform::LogSink& logSink = platform::discardingLogSink();
};

inline platform::Logger actionLogger(const ActionServices& services)
{
    return platform::Logger(services.logSink, "Quorvel", "Actions");
}

}  // namespace quorvel
