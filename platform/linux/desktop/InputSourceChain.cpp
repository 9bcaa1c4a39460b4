#include "platform/linux/desktop/InputSourceChain.h"

namespace quorvel::linux_backend {

InputSourceChain::InputSourceChain(std::vector<std::unique_ptr<platform::KeyboardInputSources>> members)
    : members_(std::move(members))
{
}

InputSourceChain::Choice InputSourceChain::choose(bool includeAllInstalled)
{
    Choice fallback;
    for (const auto& member : members_) {
        auto sources = member->keyboardInputSourceList(includeAllInstalled);
        if (!sources) {
            continue;
        }
        if (sources->size() >= 2) {
            return {member.get(), std::move(sources)};
        }
        if (fallback.member == nullptr || (fallback.sources->empty() && !sources->empty())) {
            fallback = {member.get(), std::move(sources)};
        }
    }
    return fallback;
}

std::optional<std::vector<platform::InputSource>> InputSourceChain::keyboardInputSourceList(bool includeAllInstalled)
{
    return choose(includeAllInstalled).sources;
}

std::optional<platform::InputSource> InputSourceChain::currentKeyboardInputSource()
{
    const Choice choice = choose(false);
    return choice.member != nullptr ? choice.member->currentKeyboardInputSource() : std::nullopt;
}

void InputSourceChain::select(const platform::InputSource& source)
{
    for (const auto& member : members_) {
        member->select(source);
    }
}

}  // namespace quorvel::linux_backend
