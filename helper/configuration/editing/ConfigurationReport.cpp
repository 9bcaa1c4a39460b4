#include "helper/configuration/editing/ConfigurationReport.h"

#include <cstdio>
#include <type_traits>

#include "helper/configuration/ConfigurationJson.h"
#include "helper/configuration/editing/ConfigRequest.h"
#include "helper/configuration/editing/ConfigurationWarnings.h"
#include "helper/configuration/editing/TextQuoting.h"
#include "platform/PrintableText.h"

namespace quorvel::editing {

namespace {

// Long snippets are cut: the report is an overview.
std::string shortened(const std::string& text)
{
    constexpr std::size_t longest = 60;
    std::string shown = platform::quotedForDisplay(text, longest);
    if (text.size() > longest) shown += " (" + std::to_string(text.size()) + " bytes in all)";
    return shown;
}

std::string padded(std::string text, std::size_t width)
{
    if (text.size() < width) text.append(width - text.size(), ' ');
    return text;
}

std::string slotLine(const std::optional<AssignedAction>& action)
{
    if (!action) return "none";
    return describeAction(action->kind) + (action->isEnabled ? "" : "  (switched off: the agent ignores it)");
}

}  // namespace

std::string describeAction(const ActionKind& kind)
{
    std::string text(kind.caseName());
    std::visit(
        [&text](const auto& payload) {
            using Payload = std::decay_t<decltype(payload)>;
            if constexpr (std::is_same_v<Payload, ActionKind::OpenApp>) {
                text += " " + quoted(payload.name);
                if (payload.bundleIdentifier) text += " (" + quoted(*payload.bundleIdentifier) + ")";
            } else if constexpr (std::is_same_v<Payload, ActionKind::OpenURL>) {
                text += " " + quoted(payload.urlString);
            } else if constexpr (std::is_same_v<Payload, ActionKind::Media>) {
                text += " " + std::string(payload.command.rawValue());
            } else if constexpr (std::is_same_v<Payload, ActionKind::TextSnippet>) {
                text += " " + shortened(payload.text);
            } else if constexpr (std::is_same_v<Payload, ActionKind::RunShortcut>) {
                text += " " + quoted(payload.name);
            }
        },
        kind.value);
    return text;
}

std::string configurationReport(const std::filesystem::path& file, const FileReadResult& read)
{
    const ConfigurationReading reading = readConfiguration(file, read);
    std::string report;
    // The actions as the file has them, switched-off ones included; the tuning as in force.
    AppConfiguration written = reading.configuration;
    switch (reading.inForce.source) {
    case ConfigurationInForce::Source::file:
        report = "Configuration file: " + file.string() + "\n";
        written = decodeConfiguration(std::span(std::get<std::vector<std::uint8_t>>(read))).value();
        break;
    case ConfigurationInForce::Source::defaultWithoutFile:
        report = "No configuration file at " + file.string() + ": the default configuration applies.\n";
        break;
    case ConfigurationInForce::Source::defaultForUnusableFile:
        report = reading.inForce.problem + "\nThe file cannot be used, so the default configuration applies.\n";
        break;
    }
    const RecognizerSettings& tuning = reading.configuration.recognizer;
    const std::pair<const char*, std::string> rows[] = {
        {"cornerZone", number(tuning.cornerZone)},
        {"doubleTapWindow", number(tuning.doubleTapWindow) + " s"},
        {"tripleTapWindow", number(tuning.tripleTapWindow) + " s"},
        {"maximumTapDuration", number(tuning.maximumTapDuration) + " s"},
        {"maximumTapTravel", number(tuning.maximumTapTravel)},
    };
    report += "\nCorner taps: " + std::string(written.isEnabled ? "on" : "off") + "\n\nTuning:\n";
    for (const auto& [name, value] : rows) report += "  " + padded(name, 20) + value + "\n";
    report += "\nActions:\n";
    for (TrackpadCorner corner : TrackpadCorner::allCases()) {
        const CornerAssignment entry = written.assignment(corner);
        report += "  " + padded(std::string(corner.rawValue()), 13) + "doubleTap  " + slotLine(entry.doubleTap) + "\n";
        report += "  " + padded("", 13) + "tripleTap  " + slotLine(entry.tripleTap) + "\n";
    }
    for (const IgnoredEntry& ignored : ignoredEntries(written)) {
        report += "  (assignments[" + std::to_string(ignored.index) + "], a second entry for " +
                  std::string(ignored.corner.rawValue()) + ", is ignored)\n";
    }
    return report;
}

}  // namespace quorvel::editing
