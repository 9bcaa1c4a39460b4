#pragma once

#include "platform/KeyboardInputSources.h"

namespace quorvel {

// The keyboard input sources of a session whose layouts the agent cannot read: there is
// no list and no current source, so selecting the next one does nothing.
class AbsentInputSources final : public platform::KeyboardInputSources {
public:
    std::optional<std::vector<platform::InputSource>> keyboardInputSourceList(bool) override { return std::nullopt; }
    std::optional<platform::InputSource> currentKeyboardInputSource() override { return std::nullopt; }
    void select(const platform::InputSource&) override {}
};

}  // namespace quorvel
