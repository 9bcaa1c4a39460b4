// The agent's process entry: no window, and no arguments beyond --help and --version
// (any other is ignored). Makes the Linux services once, lets the application delegate
// create and start the runner from the event loop, and runs that loop until the runner
// refuses to start or the service manager stops us. The agent's state is published on the
// session bus while it runs.
#include <glib.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "helper/app/AgentMainLoop.h"
#include "helper/app/LinuxHelperServices.h"
#include "helper/configuration/SharedPaths.h"
#include "helper/runner/AgentStatusPublication.h"
#include "helper/runner/HelperAppDelegate.h"
#include "platform/Log.h"
#include "platform/linux/SessionBusAddress.h"
#include "platform/linux/bus/AgentStatusBus.h"
#include "platform/linux/runtime/StandardDescriptors.h"
#include "tools/CommandLine.h"

namespace {

constexpr const char* programName = "quorvel-helper";

void printHelp()
{
    const auto folder = quorvel::SharedPaths::applicationSupportDirectory();
    std::printf(
        "Usage: quorvel-helper [--help | --version]\n"
        "\n"
        "The Quorvel agent: turns double and triple taps in the corners of the touchpad into the\n"
        "actions assigned in %s/%s.\n"
        "It has no window and takes no other arguments; it runs until stopped, normally as the\n"
        "systemd user unit quorvel-helper.service. It logs to the journal when systemd started it\n"
        "(journalctl --user -u quorvel-helper), to standard error otherwise.\n"
        "\n"
        "Signals: SIGHUP reads the configuration again at once (systemctl --user reload\n"
        "quorvel-helper); SIGTERM and SIGINT stop the agent.\n"
        "\n"
        "Exit status: 0 when stopped by a signal or when another agent of the user already runs,\n"
        "1 when the agent's folder or lock file cannot be used.\n",
        folder.c_str(), quorvel::SharedPaths::configurationFileName);
}

}  // namespace

int main(int argc, char** argv)
{
    quorvel::linux_backend::openMissingStandardDescriptors();
    if (argc > 1 && quorvel::tool::isHelpOption(argv[1])) {
        printHelp();
        return quorvel::tool::exitSuccess;
    }
    if (argc > 1 && quorvel::tool::isVersionOption(argv[1])) {
        quorvel::tool::printVersion(programName);
        return quorvel::tool::exitSuccess;
    }
    // GLib's own messages (and the journal's identifier for them) name the agent.
    g_set_prgname(programName);
    // A log reader that goes away must not take the agent with it.
    std::signal(SIGPIPE, SIG_IGN);

    quorvel::AgentMainLoop loop;
    quorvel::LinuxHelperServices backends;
    const quorvel::platform::Logger logger(backends.logSink(), "Quorvel", "Helper");
    quorvel::HelperAppDelegate delegate(backends.services(),
                                        [&loop](bool failed) { loop.quit(failed ? EXIT_FAILURE : EXIT_SUCCESS); });
    loop.onHangUp([&delegate] {
        if (auto* runner = delegate.runner()) runner->reloadNow();
    });

    // The state goes on the session bus once the runner holds the lock: the lock, not the
    // name, decides which agent runs.
    std::unique_ptr<quorvel::linux_backend::AgentStatusBus> statusBus;
    std::unique_ptr<quorvel::AgentStatusPublication> statusPublication;
    // Launching has finished once the loop runs: start the runner from its first turn.
    backends.mainQueue().async([&] {
        delegate.applicationDidFinishLaunching();
        const auto* runner = delegate.runner();
        if (runner == nullptr) return;
        statusBus = std::make_unique<quorvel::linux_backend::AgentStatusBus>(
            quorvel::linux_backend::sessionBusAddress(), backends.logSink(), [&delegate] {
                if (auto* running = delegate.runner()) running->reloadNow();
            });
        statusPublication = std::make_unique<quorvel::AgentStatusPublication>(
            *runner, *statusBus, backends.mainQueue(), backends.wallClock());
    });
    const int status = loop.run();
    if (const auto signal = loop.stopSignal()) {
        logger.info("Quorvel helper stopping on %s", *signal == SIGINT ? "SIGINT" : "SIGTERM");
    }
    return status;
}
