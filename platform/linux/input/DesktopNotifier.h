#pragma once

#include <string>

namespace quorvel::linux_backend {

struct DesktopNotification {
    std::string summary;
    std::string body;

    friend bool operator==(const DesktopNotification&, const DesktopNotification&) = default;
};

// Shows a notification on the user's desktop.
class DesktopNotifier {
public:
    virtual ~DesktopNotifier() = default;
    // False when there is no notification service to ask (nothing was shown).
    virtual bool notify(const DesktopNotification& notification) = 0;
};

}  // namespace quorvel::linux_backend
