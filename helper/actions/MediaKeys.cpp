#include "helper/actions/MediaKeys.h"

#include "helper/actions/AccessibilityGate.h"
#include "helper/actions/SystemValues.h"

namespace quorvel::ActionDispatcher {

namespace {

std::int32_t keyType(MediaCommand command)
{
    using namespace system_values::media_key_type;
    switch (command) {
    case MediaCommand::playPause: return play;
    case MediaCommand::nextTrack: return next;
    case MediaCommand::previousTrack: return previous;
    case MediaCommand::mute: return mute;
    case MediaCommand::volumeUp: return soundUp;
    case MediaCommand::volumeDown: return soundDown;
    }
    return play;
}

}  // namespace

void runMediaCommand(const ActionServices& services, MediaCommand command)
{
    if (!passAccessibilityGate(services)) return;
    const auto type = keyType(command);
    postMediaKey(services, type, system_values::mediaKeyDownState);
    postMediaKey(services, type, system_values::mediaKeyUpState);
}

void postMediaKey(const ActionServices& services, std::int32_t keyType, std::int32_t state)
{
    // Computed in 64 bits: the shifted key type must not overflow.
    const std::int64_t wideType = keyType;
    const std::int64_t wideState = state;
    const platform::SystemDefinedEvent event{
        .type = system_values::systemDefinedEventType,
        .locationX = 0,
        .locationY = 0,
        .modifierFlags = static_cast<std::uint64_t>(wideState * 256),
        .timestamp = 0,
        .windowNumber = 0,
        .subtype = system_values::auxiliaryKeySubtype,
        .data1 = (wideType << 16) | (wideState << 8),
        .data2 = -1,
    };
    // An event that cannot be made is not posted.
    services.eventTap.postSystemDefinedEvent(platform::EventTapLocation::hidEventTap, event);
}

}  // namespace quorvel::ActionDispatcher
