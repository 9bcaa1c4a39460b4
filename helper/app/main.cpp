// The agent's process entry: no arguments, no window. Makes the Linux services once,
// lets the application delegate create and start the runner from the event loop, and
// runs that loop until the runner refuses to start or the service manager stops us.
#include <csignal>
#include <cstdlib>

#include "helper/app/AgentMainLoop.h"
#include "helper/app/LinuxHelperServices.h"
#include "helper/runner/HelperAppDelegate.h"

int main()
{
    // A log reader that goes away must not take the agent with it.
    std::signal(SIGPIPE, SIG_IGN);

    quorvel::AgentMainLoop loop;
    quorvel::LinuxHelperServices backends;
    quorvel::HelperAppDelegate delegate(backends.services(), [&loop] { loop.quit(EXIT_FAILURE); });

    // Launching has finished once the loop runs: start the runner from its first turn.
    backends.mainQueue().async([&delegate] { delegate.applicationDidFinishLaunching(); });
    return loop.run();
}
