// The agent's process entry: no arguments, no window. Makes the Linux services once,
// lets the application delegate create and start the runner from the event loop, and
// runs that loop until the runner refuses to start or the service manager stops us.
#include <csignal>
#include <cstdlib>
#include <optional>

#include "helper/app/AgentMainLoop.h"
#include "helper/app/LinuxHelperServices.h"
#include "helper/monitor/DynamicLibrary.h"
#include "helper/runner/HelperAppDelegate.h"
#include "platform/Log.h"
#include "platform/linux/LinuxMultitouchFramework.h"

namespace {

// A touchpad the bridge cannot open for lack of permission is left out of its device list,
// so the monitor only sees no device; say what is really missing.
void reportUnreadableTouchpads(const std::optional<quorvel::DynamicLibrary>& bridge,
                               quorvel::platform::LogSink& logSink)
{
    if (!bridge) return;
    const auto unreadable = quorvel::linux_backend::unreadableTouchpadCount(bridge->handle());
    if (!unreadable || *unreadable < 1) return;
    quorvel::platform::Logger(logSink, "Quorvel", "Helper")
        .error("Touchpads found but not readable: %d device(s); grant read access (see the udev rule shipped "
               "with Quorvel)",
               *unreadable);
}

}  // namespace

int main()
{
    // A log reader that goes away must not take the agent with it.
    std::signal(SIGPIPE, SIG_IGN);

    quorvel::AgentMainLoop loop;
    quorvel::LinuxHelperServices backends;
    quorvel::HelperAppDelegate delegate(backends.services(), [&loop] { loop.quit(EXIT_FAILURE); });

    // The agent's own handle keeps the bridge loaded for the whole run: a monitor start that
    // finds no device closes the monitor's handle, and with it the bridge's count of the
    // touchpads it could not open.
    const auto bridge = quorvel::DynamicLibrary::open(backends.services().monitor.multitouch.libraryPath());

    // Launching has finished once the loop runs: start the runner from its first turn.
    backends.mainQueue().async([&delegate, &bridge, &backends] {
        delegate.applicationDidFinishLaunching();
        if (delegate.runner() != nullptr) reportUnreadableTouchpads(bridge, backends.logSink());
    });
    return loop.run();
}
