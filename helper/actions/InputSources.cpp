#include "helper/actions/InputSources.h"

#include <optional>

namespace quorvel::ActionDispatcher {

std::vector<platform::InputSource> selectableKeyboardInputSources(const ActionServices& services)
{
    std::vector<platform::InputSource> selectable;
    const auto sources = services.inputSources.keyboardInputSourceList(false);
    if (!sources) return selectable;
    for (const auto& source : *sources) {
        if (source.isEnabled == true && source.isSelectCapable == true) selectable.push_back(source);
    }
    return selectable;
}

void changeKeyboardLanguage(const ActionServices& services)
{
    const auto sources = selectableKeyboardInputSources(services);
    if (sources.empty()) {
        services.alertSound.beep();
        return;
    }

    std::optional<std::size_t> position;
    const auto current = services.inputSources.currentKeyboardInputSource();
    if (current && current->identifier) {
        for (std::size_t index = 0; index < sources.size(); ++index) {
            if (sources[index].identifier == current->identifier) {
                position = index;
                break;
            }
        }
    }
    const std::size_t next = position ? (*position + 1) % sources.size() : 0;
    services.inputSources.select(sources[next]);
}

}  // namespace quorvel::ActionDispatcher
