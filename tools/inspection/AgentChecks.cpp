#include "tools/inspection/AgentChecks.h"

#include <system_error>
#include <type_traits>

#include "helper/configuration/editing/ConfigRequest.h"
#include "helper/configuration/editing/ConfigurationReport.h"
#include "helper/configuration/editing/ConfigurationWarnings.h"
#include "platform/linux/bus/AgentBusInterface.h"
#include "tools/shortcuts/ShortcutSafety.h"

namespace quorvel::inspection {

namespace fs = std::filesystem;

namespace {

std::string pidText(const std::optional<long>& pid) { return pid ? " (pid " + std::to_string(*pid) + ")" : ""; }

// The switched-on actions in force, with the slot each sits in.
struct Assigned {
    TrackpadCorner corner;
    TapPattern slot;
    AssignedAction action;
};

std::vector<Assigned> assignedActions(const AppConfiguration& configuration)
{
    std::vector<Assigned> actions;
    if (!configuration.isEnabled) return actions;
    for (const TrackpadCorner corner : TrackpadCorner::allCases()) {
        const CornerAssignment entry = configuration.assignment(corner);
        for (const TapPattern slot : TapPattern::allCases()) {
            const auto& action = slot == TapPattern::doubleTap ? entry.doubleTap : entry.tripleTap;
            if (action && action->isEnabled) actions.push_back({corner, slot, *action});
        }
    }
    return actions;
}

std::optional<std::string> shortcutProblem(const std::string& name, editing::MachineLookups& lookups,
                                           const fs::path& supportFolder, std::string& fix)
{
    if (const auto refusal = shortcuts::nameRefusal(name)) {
        fix = "choose another name: quorvel config set CORNER SLOT runShortcut NAME";
        return "the name can never run: " + *refusal;
    }
    const fs::path file = lookups.shortcutsFolder() / name;
    switch (lookups.shortcutState(name)) {
    case shortcuts::ShortcutState::missing:
        fix = "create the executable file " + file.string() + " (chmod +x)";
        return "there is no shortcut " + file.string();
    case shortcuts::ShortcutState::notExecutable:
        fix = "chmod +x '" + file.string() + "'";
        return file.string() + " is not executable";
    case shortcuts::ShortcutState::runnable: break;
    }
    for (const fs::path& path : {file, lookups.shortcutsFolder(), supportFolder}) {
        if (auto reason = shortcuts::untrustworthy(path)) {
            fix = path.string() + " must be yours and writable by you alone: chmod go-w '" + path.string() + "'";
            return "it is refused: " + *reason;
        }
    }
    return std::nullopt;
}

// What an action needs besides the agent itself, by the names of the checks that look at it.
std::string needsOf(const ActionKind& kind)
{
    return std::visit(
        [](const auto& payload) -> std::string {
            using Payload = std::decay_t<decltype(payload)>;
            if constexpr (std::is_same_v<Payload, ActionKind::OpenApp>) return "the application installed";
            if constexpr (std::is_same_v<Payload, ActionKind::OpenURL>) return "a URL the agent opens";
            if constexpr (std::is_same_v<Payload, ActionKind::RunShortcut>) return "an executable, safe shortcut";
            if constexpr (std::is_same_v<Payload, ActionKind::SwitchApps>) return "Front application";
            if constexpr (std::is_same_v<Payload, ActionKind::TextSnippet>) return "Virtual keyboard, Clipboard";
            if constexpr (std::is_same_v<Payload, ActionKind::NextInputSource>) {
                return "Input sources (on GNOME also Virtual keyboard)";
            }
            return "Virtual keyboard";
        },
        kind.value);
}

// The check of one action's target; none for kinds whose needs other checks cover.
std::optional<Check> actionCheck(const Assigned& assigned, editing::MachineLookups& lookups,
                                 const fs::path& supportFolder)
{
    const ActionKind& kind = assigned.action.kind;
    Check check{std::string(assigned.corner.rawValue()) + " " + editing::slotName(assigned.slot) + ", " +
                    editing::describeAction(kind),
                Verdict::passed, {}, {}, false, {std::string(kind.caseName())}};
    if (const auto* openApp = std::get_if<ActionKind::OpenApp>(&kind.value)) {
        if (lookups.findsApplication(openApp->name, openApp->bundleIdentifier)) {
            check.detail = "the application is installed";
        } else {
            check.verdict = Verdict::failed;
            check.detail = "no installed application has this ID or name";
            check.fix = "install it, or name an installed one: quorvel config set " +
                        std::string(assigned.corner.rawValue()) + " " + editing::slotName(assigned.slot) +
                        " openApp NAME (it suggests the closest names)";
        }
    } else if (const auto* url = std::get_if<ActionKind::OpenURL>(&kind.value)) {
        if (const auto opened = lookups.urlToOpen(url->urlString)) {
            check.detail = "opens " + *opened;
        } else {
            check.verdict = Verdict::failed;
            check.detail = "this is no URL the agent opens";
            check.fix = "quorvel config set " + std::string(assigned.corner.rawValue()) + " " +
                        editing::slotName(assigned.slot) + " openURL URL";
        }
    } else if (const auto* shortcut = std::get_if<ActionKind::RunShortcut>(&kind.value)) {
        std::string fix;
        if (const auto problem = shortcutProblem(shortcut->name, lookups, supportFolder, fix)) {
            check.verdict = Verdict::failed;
            check.detail = *problem;
            check.fix = fix;
        } else {
            check.detail = "the shortcut is executable and safe to run";
        }
    } else {
        return std::nullopt;
    }
    return check;
}

}  // namespace

Check agentCheck(const LockHolder& lock, const AgentOnBus& bus)
{
    Check check{"Agent", Verdict::passed, {}, {}, true, {}};
    const bool answered = bus.answer == AgentOnBus::Answer::answered;
    const std::string onBus = std::string(" and answers on the session bus as ") + linux_backend::agent_bus::busName;
    switch (lock.state) {
    case LockHolder::State::held:
        check.detail = "runs" + pidText(lock.pid ? lock.pid : bus.pid);
        if (answered) {
            check.detail += onBus;
        } else if (bus.answer == AgentOnBus::Answer::notOnBus) {
            check.detail += ", but not on the session bus (it started without one, or another program owns " +
                            std::string(linux_backend::agent_bus::busName) + "): quorvel status cannot read it";
        } else {
            check.detail += ", but its state cannot be read: " + bus.why;
        }
        return check;
    case LockHolder::State::free:
        check.verdict = Verdict::failed;
        check.detail = "no agent runs (nobody holds its lock)";
        check.fix = "systemctl --user enable --now quorvel-helper.service (or start quorvel-helper from your "
                    "desktop's autostart)";
        return check;
    case LockHolder::State::cannotTell: break;
    }
    if (answered) {
        check.detail = "runs" + pidText(bus.pid) + onBus;
        return check;
    }
    check.verdict = Verdict::cannotTell;
    check.detail = "its lock cannot be read (" + lock.why + ") and it does not answer on the session bus";
    return check;
}

Check unitCheck(const UnitState& unit)
{
    const std::string name = agentUnitName;
    const std::string where = unit.file.empty() ? "" : " (" + unit.file.string() + ")";
    Check check{"User unit", Verdict::failed, {}, {}, false, {}};
    switch (unit.installation) {
    case UnitState::Installation::installed:
        if (unit.enabled) {
            check.verdict = Verdict::passed;
            check.detail = name + " is installed" + where + " and enabled: the agent starts with the session";
        } else {
            check.detail = name + " is installed" + where +
                           " but not enabled: the agent does not start with the session";
            check.fix = "systemctl --user enable --now " + name;
        }
        break;
    case UnitState::Installation::masked:
        check.detail = name + " is masked" + where + ": it cannot be started";
        check.fix = "systemctl --user unmask " + name;
        break;
    case UnitState::Installation::notInstalled:
        check.detail = name + " is not installed: nothing starts the agent with the session";
        check.fix = "install Quorvel with its unit, then systemctl --user daemon-reload && systemctl --user enable "
                    "--now " + name + " (or start quorvel-helper from your desktop's autostart)";
        break;
    case UnitState::Installation::cannotTell:
        check.verdict = Verdict::cannotTell;
        check.detail = "whether " + name + " is installed cannot be told: " + unit.why;
        break;
    }
    return check;
}

Check suppressMarkerCheck(const fs::path& marker)
{
    std::error_code error;
    if (!fs::exists(marker, error)) {
        return {"Pause marker", Verdict::passed, "no " + marker.string() + ": actions run", {}, true, {}};
    }
    return {"Pause marker", Verdict::failed, marker.string() + " exists: taps are recognised but no action runs",
            "rm '" + marker.string() + "'", true, {}};
}

std::vector<Check> configurationChecks(const ConfigurationReading& reading, editing::MachineLookups& lookups,
                                       const fs::path& supportFolder)
{
    const std::string file = reading.inForce.file.string();
    Check check{"Configuration", Verdict::failed, {}, {}, true, {}};
    const auto actions = assignedActions(reading.configuration);
    switch (reading.inForce.source) {
    case ConfigurationInForce::Source::defaultWithoutFile:
        check.detail = "no file at " + file + ": the default applies, which assigns nothing";
        check.fix = "quorvel config init, then quorvel config set CORNER doubleTap KIND [ARGUMENT]";
        return {check};
    case ConfigurationInForce::Source::defaultForUnusableFile:
        check.detail = reading.inForce.problem + "\nthe default applies, which assigns nothing";
        check.fix = "quorvel config edit (it shows where and why, and keeps the file until it passes)";
        return {check};
    case ConfigurationInForce::Source::file: break;
    }
    if (!reading.configuration.isEnabled) {
        check.detail = file + ": corner taps are switched off";
        check.fix = "quorvel config enable";
        return {check};
    }
    if (actions.empty()) {
        check.detail = file + ": no switched-on action";
        check.fix = "quorvel config set CORNER doubleTap KIND [ARGUMENT]";
        return {check};
    }
    check.verdict = Verdict::passed;
    check.detail = file + " is in force and assigns:";
    for (const Assigned& assigned : actions) {
        check.detail += "\n  " + std::string(assigned.corner.rawValue()) + " " + editing::slotName(assigned.slot) +
                        ": " + editing::describeAction(assigned.action.kind) + "  (needs: " +
                        needsOf(assigned.action.kind) + ")";
    }
    for (const std::string& warning :
         editing::tuningWarnings(reading.configuration.recognizer, reading.configuration.recognizer)) {
        check.detail += "\nwarning: " + warning;
    }
    std::vector<Check> checks{check};
    for (const Assigned& assigned : actions) {
        if (auto target = actionCheck(assigned, lookups, supportFolder)) checks.push_back(std::move(*target));
    }
    return checks;
}

std::set<std::string> assignedKinds(const AppConfiguration& configuration)
{
    std::set<std::string> kinds;
    for (const Assigned& assigned : assignedActions(configuration)) {
        kinds.insert(std::string(assigned.action.kind.caseName()));
    }
    return kinds;
}

}  // namespace quorvel::inspection
