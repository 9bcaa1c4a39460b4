#include "platform/linux/runtime/system_events/LinuxSystemEventObservers.h"

#include <cstdlib>
#include <utility>

#include "platform/linux/runtime/system_events/LogindWatcher.h"
#include "platform/linux/runtime/system_events/ScreenWakeWatcher.h"
#include "platform/linux/runtime/system_events/UdevWatcher.h"

namespace quorvel::linux_backend {

namespace {

std::vector<std::string> sessionCandidates(const std::optional<std::string>& configured)
{
    std::vector<std::string> ids;
    if (configured) {
        ids.push_back(*configured);
    } else if (const char* fromEnvironment = std::getenv("XDG_SESSION_ID"); fromEnvironment && *fromEnvironment) {
        ids.emplace_back(fromEnvironment);
    }
    ids.emplace_back("auto");
    return ids;
}

}  // namespace

LinuxSystemEventObservers::LinuxSystemEventObservers(SystemEventSources sources)
{
    auto sink = [this](platform::SystemEvent event) { deliver(event); };
    logind_ = std::make_unique<LogindWatcher>(std::move(sources.systemBusAddress),
                                              sessionCandidates(sources.loginSessionId), sink);
    screens_ = std::make_unique<ScreenWakeWatcher>(std::move(sources.sessionBusAddress), sink);
    if (sources.watchDevices) devices_ = std::make_unique<UdevWatcher>(sink);
}

LinuxSystemEventObservers::~LinuxSystemEventObservers() = default;

platform::ObserverToken LinuxSystemEventObservers::observe(platform::SystemEvent event, std::function<void()> callback)
{
    const platform::ObserverToken token{++lastToken_};
    registrations_.push_back(Registration{event, token, std::move(callback)});
    return token;
}

bool LinuxSystemEventObservers::settled() const { return logind_->settled() && screens_->settled(); }

void LinuxSystemEventObservers::deliver(platform::SystemEvent event)
{
    // By index and up to the current count: a callback may register further observers.
    const std::size_t count = registrations_.size();
    for (std::size_t i = 0; i < count; ++i) {
        if (registrations_[i].event == event) {
            auto callback = registrations_[i].callback;
            callback();
        }
    }
}

}  // namespace quorvel::linux_backend
