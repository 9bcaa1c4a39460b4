#pragma once

#include "helper/actions/ActionServices.h"
#include "tests/fakes/FakeAccessibility.h"
#include "tests/fakes/FakeAlertSound.h"
#include "tests/fakes/FakeApplicationBundles.h"
#include "tests/fakes/FakeClockAndLog.h"
#include "tests/fakes/FakeEventTap.h"
#include "tests/fakes/FakeKeyboardInputSources.h"
#include "tests/fakes/FakeMainQueue.h"
#include "tests/fakes/FakePasteboard.h"
#include "tests/fakes/FakePreferenceReader.h"
#include "tests/fakes/FakeProcessLauncher.h"
#include "tests/fakes/FakeWorkspace.h"

namespace quorvel::testing {

// One fake of every service actions use, on one virtual-time main queue.
struct FakeActionServices {
    FakeWorkspace workspace;
    FakeEventTap eventTap;
    FakeAccessibility accessibility;
    FakePasteboard pasteboard;
    FakeKeyboardInputSources inputSources;
    FakePreferenceReader preferences;
    FakeProcessLauncher processLauncher;
    FakeAlertSound alertSound;
    FakeApplicationBundles applicationBundles;
    FakeMainQueue mainQueue;
    CapturingLog log;

    ActionServices services()
    {
        return {workspace,   eventTap,        accessibility, pasteboard,         inputSources,
                preferences, processLauncher, alertSound,    applicationBundles, mainQueue, log};
    }
};

}  // namespace quorvel::testing
