#pragma once

#include <memory>
#include <vector>

#include "platform/KeyboardInputSources.h"

namespace quorvel::linux_backend {

// The ways a session may switch its input sources, in order of preference (an
// input-method framework before the desktop's layouts, since a running framework
// overrides them). Each call asks them in turn and answers from the first that is in
// real use: the first with two sources or more, else the first with any source, else
// the first that answers at all. Which one that is can change while the agent runs
// (a framework started or configured later). Every member ignores references that are
// not its own, so `select` is offered to all of them.
class InputSourceChain final : public platform::KeyboardInputSources {
public:
    explicit InputSourceChain(std::vector<std::unique_ptr<platform::KeyboardInputSources>> members);

    std::optional<std::vector<platform::InputSource>> keyboardInputSourceList(bool includeAllInstalled) override;
    std::optional<platform::InputSource> currentKeyboardInputSource() override;
    void select(const platform::InputSource& source) override;

private:
    struct Choice {
        platform::KeyboardInputSources* member = nullptr;
        std::optional<std::vector<platform::InputSource>> sources;
    };
    Choice choose(bool includeAllInstalled);

    std::vector<std::unique_ptr<platform::KeyboardInputSources>> members_;
};

}  // namespace quorvel::linux_backend
