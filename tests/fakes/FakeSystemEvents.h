#pragma once

#include <functional>
#include <utility>
#include <vector>

#include "platform/SystemEvents.h"

namespace quorvel::testing {

// Records observers; `post` calls an event's observers at once, as the main queue would.
class FakeSystemEvents final : public platform::SystemEventObservers {
public:
    platform::ObserverToken observe(platform::SystemEvent event, std::function<void()> callback) override
    {
        observers_.emplace_back(event, std::move(callback));
        return platform::ObserverToken{observers_.size()};
    }
    void post(platform::SystemEvent event)
    {
        // By index and on a copy: an observer may register another one while being called.
        for (std::size_t i = 0; i < observers_.size(); ++i) {
            if (observers_[i].first == event) std::function<void()>(observers_[i].second)();
        }
    }

private:
    std::vector<std::pair<platform::SystemEvent, std::function<void()>>> observers_;
};

}  // namespace quorvel::testing
