#pragma once

#include <vector>

#include "helper/actions/ActionServices.h"
#include "platform/KeyboardInputSources.h"

namespace quorvel::ActionDispatcher {

// The enabled keyboard input sources that can be selected, in the desktop's order.
std::vector<platform::InputSource> selectableKeyboardInputSources(const ActionServices& services);

// Selects the source after the current one, wrapping around; the first one when the
// current source is unknown. Beeps when there is nothing to select.
void changeKeyboardLanguage(const ActionServices& services);

}  // namespace quorvel::ActionDispatcher
