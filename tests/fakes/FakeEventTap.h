#pragma once

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

// Records every event posted.
class FakeEventTap final : public platform::EventTap {
public:
    std::vector<PostedKeyboardEvent> keyboardEvents;
    std::vector<PostedSystemDefinedEvent> systemDefinedEvents;

    bool postKeyboardEvent(platform::EventSourceState source, platform::EventTapLocation tap,
                           const platform::KeyboardEvent& event) override
    {
        keyboardEvents.push_back({source, tap, event});
        return true;
    }
    bool postSystemDefinedEvent(platform::EventTapLocation tap, const platform::SystemDefinedEvent& event) override
    {
        systemDefinedEvents.push_back({tap, event});
        return true;
    }
    bool nothingPosted() const { return keyboardEvents.empty() && systemDefinedEvents.empty(); }
};

}  // namespace quorvel::testing
