#pragma once

#include <map>
#include <string>

namespace quorvel::platform {

inline constexpr const char* trustedCheckOptionPrompt = "AXTrustedCheckOptionPrompt";

// Whether the agent may post input events, and the system's way to ask the user.
class Accessibility {
public:
    virtual ~Accessibility() = default;
    // No side effect.
    virtual bool isProcessTrusted() = 0;
    // With {"AXTrustedCheckOptionPrompt": true} the system prompts the user.
    virtual bool isProcessTrustedWithOptions(const std::map<std::string, bool>& options) = 0;
};

}  // namespace quorvel::platform
