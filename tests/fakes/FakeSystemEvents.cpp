#include "tests/fakes/FakeSystemEvents.h"

#include <utility>

namespace quorvel::testing {

platform::ObserverToken FakeSystemEvents::observe(platform::SystemEvent event, std::function<void()> callback)
{
    const platform::ObserverToken token{nextToken_++};
    observers_.push_back(Observer{event, token, std::move(callback)});
    return token;
}

void FakeSystemEvents::post(platform::SystemEvent event)
{
    // By index: an observer may register another one while being called.
    for (std::size_t i = 0; i < observers_.size(); ++i) {
        if (observers_[i].event == event) {
            auto callback = observers_[i].callback;
            callback();
        }
    }
}

std::size_t FakeSystemEvents::observerCount(platform::SystemEvent event) const
{
    std::size_t count = 0;
    for (const auto& observer : observers_) {
        if (observer.event == event) ++count;
    }
    return count;
}

}  // namespace quorvel::testing
