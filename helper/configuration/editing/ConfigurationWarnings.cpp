#include "helper/configuration/editing/ConfigurationWarnings.h"

#include <algorithm>

#include "helper/configuration/editing/ConfigRequest.h"
#include "helper/configuration/editing/TextQuoting.h"

namespace quorvel::editing {

namespace {

struct Setting {
    const char* name;
    double RecognizerSettings::*field;
    const char* unit;
};

constexpr Setting settings[] = {
    {"cornerZone", &RecognizerSettings::cornerZone, ""},
    {"doubleTapWindow", &RecognizerSettings::doubleTapWindow, " s"},
    {"tripleTapWindow", &RecognizerSettings::tripleTapWindow, " s"},
    {"maximumTapDuration", &RecognizerSettings::maximumTapDuration, " s"},
    {"maximumTapTravel", &RecognizerSettings::maximumTapTravel, ""},
};

// Why the value of a setting surely defeats its purpose; empty when it does not.
std::string tuningProblem(const std::string& name, double value)
{
    if (name == "cornerZone") {
        if (value <= 0) return "at or below 0 no tap is ever in a corner";
        if (value > 0.5) {
            return "above 0.5 the corner zones overlap, and a tap in the middle of the pad is a corner tap";
        }
    } else if (name == "doubleTapWindow" || name == "tripleTapWindow") {
        if (value <= 0) return "at or below 0 no tap follows another in time";
        if (value > 2) return "above 2 seconds taps far apart make one gesture, and double taps wait that long";
    } else if (name == "maximumTapDuration") {
        if (value <= 0) return "at or below 0 no touch is short enough to be a tap";
    } else if (name == "maximumTapTravel") {
        if (value <= 0) return "at or below 0 no touch is still enough to be a tap";
        if (value >= 1) return "at 1 or above a touch may cross the whole pad and still be a tap";
    }
    return {};
}

std::string shortcutProblem(const std::string& name, MachineLookups& lookups)
{
    if (const auto refusal = shortcuts::nameRefusal(name))
        return "the shortcut " + quoted(name) + " can never run: " + *refusal;
    const std::string folder = lookups.shortcutsFolder().string();
    switch (lookups.shortcutState(name)) {
    case shortcuts::ShortcutState::missing: return "there is no shortcut " + quoted(name) + " in " + folder;
    case shortcuts::ShortcutState::notExecutable:
        return "the shortcut " + quoted(name) + " in " + folder + " is not an executable file";
    case shortcuts::ShortcutState::runnable: break;
    }
    return {};
}

std::string targetProblem(const ActionKind& kind, MachineLookups& lookups)
{
    if (const auto* openApp = std::get_if<ActionKind::OpenApp>(&kind.value)) {
        if (lookups.findsApplication(openApp->name, openApp->bundleIdentifier)) return {};
        return openApp->bundleIdentifier ? "no installed application has the ID " +
                                               quoted(*openApp->bundleIdentifier) + " or the name " +
                                               quoted(openApp->name)
                                         : "no installed application is named " + quoted(openApp->name);
    }
    if (const auto* shortcut = std::get_if<ActionKind::RunShortcut>(&kind.value))
        return shortcutProblem(shortcut->name, lookups);
    return {};
}

}  // namespace

std::vector<IgnoredEntry> ignoredEntries(const AppConfiguration& configuration)
{
    std::vector<IgnoredEntry> ignored;
    const auto& entries = configuration.assignments;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        for (std::size_t first = 0; first < i; ++first) {
            if (entries[first].corner != entries[i].corner) continue;
            ignored.push_back(IgnoredEntry{i, first, entries[i].corner});
            break;
        }
    }
    return ignored;
}

std::vector<std::string> tuningWarnings(const RecognizerSettings& written, const RecognizerSettings& inForce)
{
    std::vector<std::string> warnings;
    for (const Setting& setting : settings) {
        const double value = inForce.*setting.field;
        const std::string where = std::string("recognizer.") + setting.name + " is " + number(value) + setting.unit;
        if (written.*setting.field != value)
            warnings.push_back(std::string("recognizer.") + setting.name + " is " + number(written.*setting.field) +
                               ", which the agent reads as " + number(value) +
                               ": values this close to an earlier default are replaced by the current one");
        if (const std::string problem = tuningProblem(setting.name, value); !problem.empty())
            warnings.push_back(where + ": " + problem);
    }
    return warnings;
}

std::vector<std::string> configurationWarnings(const AppConfiguration& written, const AppConfiguration& inForce,
                                               MachineLookups& lookups)
{
    std::vector<std::string> warnings = tuningWarnings(written.recognizer, inForce.recognizer);
    const auto ignored = ignoredEntries(inForce);
    for (const IgnoredEntry& entry : ignored) {
        warnings.push_back("assignments[" + std::to_string(entry.index) + "] is a second entry for " +
                           std::string(entry.corner.rawValue()) + ": the agent uses only the first (assignments[" +
                           std::to_string(entry.first) + "]) and ignores it");
    }
    for (std::size_t i = 0; i < inForce.assignments.size(); ++i) {
        const CornerAssignment& entry = inForce.assignments[i];
        const bool isIgnored = std::any_of(ignored.begin(), ignored.end(), [i](const auto& e) { return e.index == i; });
        if (isIgnored) continue;
        for (const TapPattern slot : TapPattern::allCases()) {
            const auto& action = slot == TapPattern::doubleTap ? entry.doubleTap : entry.tripleTap;
            if (!action) continue;
            if (const std::string problem = targetProblem(action->kind, lookups); !problem.empty())
                warnings.push_back("assignments[" + std::to_string(i) + "]." + slotName(slot) + ": " + problem);
        }
    }
    return warnings;
}

}  // namespace quorvel::editing
