#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "platform/SystemEvents.h"

namespace quorvel {

// The applications activated most recently, newest first: no duplicates, no empty
// identifiers, at most `capacity` entries.
class ActivationHistory {
public:
    static constexpr std::size_t capacity = 6;

    const std::vector<std::string>& entries() const { return entries_; }

    // An application came to the front.
    void recordActivation(const std::string& bundleIdentifier);
    // The agent itself switched from one application to another: the list begins
    // with `to`, then `from`, before the activation notification for `to` arrives.
    void recordShortcutSwitch(const std::string& from, const std::string& to);

    // The registration with the workspace's activation notifications, once made.
    const std::optional<platform::ObserverToken>& observer() const { return observer_; }
    void setObserver(platform::ObserverToken token) { observer_ = token; }

private:
    void remove(const std::string& bundleIdentifier);
    void trim();

    std::vector<std::string> entries_;
    std::optional<platform::ObserverToken> observer_;
};

}  // namespace quorvel
