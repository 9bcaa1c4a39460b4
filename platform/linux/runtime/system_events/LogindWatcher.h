#pragma once

#include <gio/gio.h>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "platform/linux/runtime/system_events/BusConnection.h"
#include "platform/linux/runtime/system_events/EdgeTrigger.h"
#include "platform/linux/runtime/system_events/SystemEventSink.h"

namespace quorvel::linux_backend {

// Watches logind on the system bus: the end of a sleep ("system wake"), and this user's
// login session becoming active again ("session active") or unlocked ("screen unlock").
class LogindWatcher {
public:
    // `sessionIds` are tried in order with GetSession; then this process's own session.
    LogindWatcher(std::optional<std::string> busAddress, std::vector<std::string> sessionIds, SystemEventSink sink);

    // True once the bus and the session have been looked up, found or not.
    bool settled() const { return settled_; }
    // The object path of the watched session, if one was found.
    const std::optional<std::string>& sessionPath() const { return sessionPath_; }

private:
    void busOpened(bool connected);
    void sleepPrepared(GVariant* parameters);
    void sessionPropertiesChanged(const char* objectPath, GVariant* parameters);
    void lookUpSession(std::size_t attempt);
    void readSession(std::string path, std::size_t attempt);
    void refreshSession();
    void applySessionProperties(GVariant* properties, bool initial);
    void finishSetup() { settled_ = true; }

    SystemEventSink sink_;
    std::vector<std::string> sessionIds_;
    std::optional<std::string> sessionPath_;
    EdgeTrigger<bool> active_{true};
    EdgeTrigger<bool> locked_{false};
    bool settled_ = false;
    BusConnection bus_;  // last: its callbacks use the members above
};

}  // namespace quorvel::linux_backend
