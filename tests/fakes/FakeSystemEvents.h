#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/SystemEvents.h"

namespace quorvel::testing {

// Records observers; `post` delivers an event to its observers at once, as the main
// queue would.
class FakeSystemEvents final : public platform::SystemEventObservers {
public:
    platform::ObserverToken observe(platform::SystemEvent event, std::function<void()> callback) override;

    void post(platform::SystemEvent event);
    std::size_t observerCount() const { return observers_.size(); }
    std::size_t observerCount(platform::SystemEvent event) const;

private:
    struct Observer {
        platform::SystemEvent event;
        platform::ObserverToken token;
        std::function<void()> callback;
    };
    std::vector<Observer> observers_;
    std::uint64_t nextToken_ = 1;
};

}  // namespace quorvel::testing
