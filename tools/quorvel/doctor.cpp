// `quorvel doctor`: every check of what the agent needs on this machine, each passed, failed or
// cannot tell, with the exact fix; the run fails only for what the assigned actions need.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "helper/configuration/FileReading.h"
#include "helper/configuration/SharedPaths.h"
#include "platform/PrintableText.h"
#include "platform/linux/desktop/CurrentDesktop.h"
#include "tools/CommandLine.h"
#include "tools/inspection/AgentChecks.h"
#include "tools/inspection/DeviceChecks.h"
#include "tools/inspection/SessionChecks.h"
#include "tools/quorvel/Command.h"
#include "tools/quorvel/ConfigCommands.h"

namespace quorvel::tool {

namespace {

namespace fs = std::filesystem;
using namespace inspection;

constexpr const char* usage =
    "Usage: quorvel doctor\n"
    "\n"
    "Checks what the agent needs on this machine and prints each check as passed, FAILED or\n"
    "cannot tell, with the exact fix for each failure and the actions that need it: the\n"
    "touchpads (readable, not held by another reader, protocol B), /dev/uinput (module, udev\n"
    "rule, group), the session (X11 or Wayland, and what the compositor offers for switchApps\n"
    "and textSnippet), the input sources for nextInputSource, the agent (its lock and its name on\n"
    "the session bus), the user unit, the configuration and each assigned action's target, the\n"
    "suppress-actions marker, and tap-to-click. Nothing is changed.\n"
    "\n"
    "Exit status: 0 when everything the assigned actions need is in place, 1 when something\n"
    "they need is missing (a failed check that no assigned action needs does not count),\n"
    "2 for a wrong command line.\n";

fs::path configHome()
{
    if (const char* value = std::getenv("XDG_CONFIG_HOME"); value && *value == '/') return value;
    const char* home = std::getenv("HOME");
    return home ? fs::path(home) / ".config" : fs::path();
}

}  // namespace

int runDoctor(const std::vector<std::string>& arguments)
{
    if (const auto answered = answerHelpOrVersion(arguments, "quorvel", usage)) return *answered;
    if (!arguments.empty()) {
        std::fprintf(stderr, "quorvel doctor: unknown argument '%s'\n\n%s",
                     platform::escapedForDisplay(arguments.front()).c_str(), usage);
        return exitUsage;
    }
    std::string whyNoBus;
    const auto bus = connectSessionBus(whyNoBus);
    const AgentOnBus agent = askAgent(bus.get(), whyNoBus);
    const fs::path support = SharedPaths::applicationSupportDirectory();
    const fs::path file = support / SharedPaths::configurationFileName;
    const ConfigurationReading reading = readConfiguration(file, readWholeFileOrFailure(file));
    const SessionFacts session = observeSession();
    const bool gnome = linux_backend::desktopListIncludes(session.currentDesktop, "GNOME");

    std::vector<Check> checks;
    const bool answered = agent.answer == AgentOnBus::Answer::answered;
    checks.push_back(touchpadCheck(findTouchpads(), answered ? agent.status.touchpads
                                                             : std::vector<platform::TouchpadIdentity>{}));
    // GNOME switches input sources with its own chord, pressed on the virtual keyboard.
    checks.push_back(uinputCheck({}, gnome ? std::vector<std::string>{"nextInputSource"} : std::vector<std::string>{}));
    for (Check& check : sessionChecks(session)) checks.push_back(std::move(check));
    checks.push_back(inputSourcesCheck(sessionInputSources()));
    checks.push_back(agentCheck(lockHolder(support / SharedPaths::lockFileName), agent));
    checks.push_back(unitCheck(agentUnitState(bus.get())));
    config::AgentMachine machine;
    for (Check& check : configurationChecks(reading, machine.lookups(), support)) {
        // Another environment (XDG_CONFIG_HOME, HOME) than the agent's reads another file.
        if (check.name == "Configuration" && answered && agent.status.configurationFile != file.string()) {
            check.detail += "\nnote: the running agent reads " + agent.status.configurationFile +
                            "; run quorvel doctor with the agent's environment to check that one";
        }
        checks.push_back(std::move(check));
    }
    checks.push_back(suppressMarkerCheck(support / SharedPaths::suppressActionsFileName));
    TapToClick tapToClick = gnomeTapToClick();
    if (!tapToClick.on) tapToClick = kdeTapToClick(configHome());
    checks.push_back(tapToClickCheck(tapToClick));

    const auto kinds = assignedKinds(reading.configuration);
    std::fputs(doctorReport(checks, kinds).c_str(), stdout);
    return doctorExitStatus(checks, kinds);
}

}  // namespace quorvel::tool
