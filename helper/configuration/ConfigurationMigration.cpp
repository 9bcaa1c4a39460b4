#include <cmath>
#include <optional>

#include "helper/configuration/ConfigurationStore.h"

namespace quorvel {

namespace {

// Values earlier versions wrote as defaults, replaced by the current ones. Tested in this
// order; a window is open (strictly less than).
void snapRecognizer(RecognizerSettings& recognizer)
{
    if (std::abs(recognizer.cornerZone - 0.23) < 0.015) recognizer.cornerZone = 0.3;
    if (std::abs(recognizer.tripleTapWindow - 0.45) < 0.001) recognizer.tripleTapWindow = 0.2;
    if (std::abs(recognizer.tripleTapWindow - 0.25) < 0.001) recognizer.tripleTapWindow = 0.2;
}

void replaceStandaloneMute(std::optional<AssignedAction>& action)
{
    if (action && std::holds_alternative<ActionKind::Mute>(action->kind.value)) {
        action->kind = ActionKind{ActionKind::Media{MediaCommand::mute}};
    }
}

void dropIfSwitchedOff(std::optional<AssignedAction>& action)
{
    if (action && !action->isEnabled) action.reset();
}

}  // namespace

AppConfiguration ConfigurationStore::migrate(AppConfiguration configuration)
{
    snapRecognizer(configuration.recognizer);
    for (CornerAssignment& entry : configuration.assignments) {
        replaceStandaloneMute(entry.doubleTap);
        replaceStandaloneMute(entry.tripleTap);
        dropIfSwitchedOff(entry.doubleTap);
        dropIfSwitchedOff(entry.tripleTap);
    }
    return configuration;
}

}  // namespace quorvel
