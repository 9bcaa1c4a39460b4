#pragma once

#include <functional>
#include <vector>

#include "platform/EventTap.h"

namespace quorvel::testing {

struct PostedKeyboardEvent {
    platform::EventSourceState source;
    platform::EventTapLocation tap;
    platform::KeyboardEvent event;
    friend bool operator==(const PostedKeyboardEvent&, const PostedKeyboardEvent&) = default;
};

struct PostedSystemDefinedEvent {
    platform::EventTapLocation tap;
    platform::SystemDefinedEvent event;
    friend bool operator==(const PostedSystemDefinedEvent&, const PostedSystemDefinedEvent&) = default;
};

// Records every event posted; `canCreateKeyboardEvent` scripts creation failures.
class FakeEventTap final : public platform::EventTap {
public:
    std::vector<PostedKeyboardEvent> keyboardEvents;
    std::vector<PostedSystemDefinedEvent> systemDefinedEvents;
    std::function<bool(const platform::KeyboardEvent&)> canCreateKeyboardEvent;  // null: always
    bool canCreateSystemDefinedEvent = true;

    bool postKeyboardEvent(platform::EventSourceState source, platform::EventTapLocation tap,
                           const platform::KeyboardEvent& event) override
    {
        if (canCreateKeyboardEvent && !canCreateKeyboardEvent(event)) return false;
        keyboardEvents.push_back({source, tap, event});
        return true;
    }
    bool postSystemDefinedEvent(platform::EventTapLocation tap, const platform::SystemDefinedEvent& event) override
    {
        if (!canCreateSystemDefinedEvent) return false;
        systemDefinedEvents.push_back({tap, event});
        return true;
    }
    bool nothingPosted() const { return keyboardEvents.empty() && systemDefinedEvents.empty(); }
};

}  // namespace quorvel::testing
