#pragma once

#include <vector>

#include "platform/Accessibility.h"

namespace quorvel::testing {

// Trusted unless a test says otherwise; records every prompt request.
class FakeAccessibility final : public platform::Accessibility {
public:
    bool trusted = true;
    std::vector<std::map<std::string, bool>> promptRequests;

    bool isProcessTrusted() override { return trusted; }
    bool isProcessTrustedWithOptions(const std::map<std::string, bool>& options) override
    {
        promptRequests.push_back(options);
        return trusted;
    }
};

}  // namespace quorvel::testing
