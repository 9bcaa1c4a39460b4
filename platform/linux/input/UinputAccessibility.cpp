#include "platform/linux/input/UinputAccessibility.h"

namespace quorvel::linux_backend {

bool UinputAccessibility::isProcessTrusted()
{
    return keyboard_.acquire() != nullptr;
}

bool UinputAccessibility::isProcessTrustedWithOptions(const std::map<std::string, bool>& options)
{
    const bool trusted = isProcessTrusted();
    const auto prompt = options.find(platform::trustedCheckOptionPrompt);
    if (!trusted && prompt != options.end() && prompt->second) prompt_.request(keyboard_.lastError());
    return trusted;
}

}  // namespace quorvel::linux_backend
