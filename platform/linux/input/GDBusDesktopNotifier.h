#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "platform/Log.h"
#include "platform/linux/input/DesktopNotifier.h"

namespace quorvel::linux_backend {

// Sends notifications to org.freedesktop.Notifications on the session bus. The call does
// not wait for the notification service: its answer arrives on the calling thread's main
// context, and a refusal is logged. Each notification replaces the previous one of ours,
// so repeated prompts do not pile up.
class GDBusDesktopNotifier final : public DesktopNotifier {
public:
    static constexpr const char* applicationName = "Quorvel";

    // The id the service gave the notification, or nothing when it refused.
    using ReplyHandler = std::function<void(std::optional<std::uint32_t> id)>;

    explicit GDBusDesktopNotifier(platform::Logger logger);
    ~GDBusDesktopNotifier() override;
    GDBusDesktopNotifier(const GDBusDesktopNotifier&) = delete;
    GDBusDesktopNotifier& operator=(const GDBusDesktopNotifier&) = delete;

    bool notify(const DesktopNotification& notification) override;
    // As notify(), calling `onReply` once the service has answered.
    bool notify(const DesktopNotification& notification, ReplyHandler onReply);

    struct State;

private:
    std::shared_ptr<State> state_;
};

}  // namespace quorvel::linux_backend
