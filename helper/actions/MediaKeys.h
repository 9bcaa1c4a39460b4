#pragma once

#include <cstdint>

#include "helper/actions/ActionServices.h"
#include "helper/configuration/MediaCommand.h"

namespace quorvel::ActionDispatcher {

// Presses and releases the media key of `command`, behind the accessibility gate.
void runMediaCommand(const ActionServices& services, MediaCommand command);

// Posts one system-defined auxiliary key event for a key type in a key state.
void postMediaKey(const ActionServices& services, std::int32_t keyType, std::int32_t state);

}  // namespace quorvel::ActionDispatcher
