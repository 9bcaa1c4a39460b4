#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/MultitouchFramework.h"

namespace quorvel::platform {

// A gesture as the agent delivered it: corner and pattern by their raw names ("topLeft",
// "doubleTap") and the wall-clock time of the delivery.
struct PublishedGesture {
    std::string corner;
    std::string pattern;
    std::int64_t deliveredAtMicroseconds = 0;  // since the Unix epoch

    friend bool operator==(const PublishedGesture&, const PublishedGesture&) = default;
};

// What the running agent tells other programs about itself.
struct AgentStatus {
    bool isRunning = false;  // touchpads bound and started
    std::string statusMessage;
    std::optional<PublishedGesture> lastGesture;
    std::string gestureEventID;
    std::string configurationFile;
    // "file", "defaultWithoutFile" or "defaultForUnusableFile".
    std::string configurationInForce;
    std::string configurationProblem;  // why the file cannot be used; empty otherwise
    std::vector<TouchpadIdentity> touchpads;
    bool actionsSuppressed = false;

    friend bool operator==(const AgentStatus&, const AgentStatus&) = default;
};

// Where the agent's status goes: each call gives the whole new state, the receiver tells
// others what changed. It never acts on the agent except through what its owner gave it.
class AgentStatusExport {
public:
    virtual ~AgentStatusExport() = default;
    virtual void publish(const AgentStatus& status) = 0;
};

}  // namespace quorvel::platform
