#pragma once

#include <gio/gio.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/AgentStatus.h"
#include "platform/Log.h"
#include "platform/linux/GLibHandles.h"

namespace quorvel::linux_backend {

// The agent's status on the session bus (see AgentBusInterface.h), on a private connection
// opened without blocking and served from the thread's default main context. Owning the
// name is not what keeps a second agent away (the lock file is), so a name owned by another
// program, no bus, or a bus that goes away only ends the publishing: each is said once in
// the log and the agent goes on. Main thread only.
class AgentStatusBus final : public platform::AgentStatusExport {
public:
    // `address` absent: there is no session bus. `reload` is what the Reload method does.
    AgentStatusBus(std::optional<std::string> address, platform::LogSink& logSink, std::function<void()> reload);
    ~AgentStatusBus() override;
    AgentStatusBus(const AgentStatusBus&) = delete;
    AgentStatusBus& operator=(const AgentStatusBus&) = delete;

    void publish(const platform::AgentStatus& status) override;

private:
    struct Callbacks;

    void connected(GObjectPtr<GDBusConnection> connection);
    void disconnect();

    platform::Logger logger_;
    std::function<void()> reload_;
    GDBusNodeInfo* interfaceDescription_;
    GObjectPtr<GCancellable> cancellable_;
    GObjectPtr<GDBusConnection> connection_;
    gulong closedHandler_ = 0;
    guint registration_ = 0;
    guint nameOwnership_ = 0;
    platform::AgentStatus published_;
    std::shared_ptr<char> alive_;  // a connection that opens late checks it before touching this object
};

}  // namespace quorvel::linux_backend
