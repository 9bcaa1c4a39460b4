#pragma once

#include "platform/KeyboardInputSources.h"

namespace quorvel::testing {

class FakeKeyboardInputSources final : public platform::KeyboardInputSources {
public:
    std::optional<std::vector<platform::InputSource>> sources = std::vector<platform::InputSource>{};
    std::optional<platform::InputSource> current;
    std::vector<bool> listRequests;  // includeAllInstalled of each request
    std::vector<platform::InputSource> selected;

    std::optional<std::vector<platform::InputSource>> keyboardInputSourceList(bool includeAllInstalled) override
    {
        listRequests.push_back(includeAllInstalled);
        return sources;
    }
    std::optional<platform::InputSource> currentKeyboardInputSource() override { return current; }
    void select(const platform::InputSource& source) override { selected.push_back(source); }

    // A source that is enabled and selectable.
    static platform::InputSource selectable(const std::string& id) { return {id + "-ref", id, true, true}; }
};

}  // namespace quorvel::testing
