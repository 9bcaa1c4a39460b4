#include "helper/configuration/editing/ConfigurationEditor.h"

#include "helper/configuration/ConfigurationJson.h"
#include "helper/configuration/ConfigurationProblem.h"
#include "helper/configuration/ConfigurationStore.h"
#include "helper/configuration/editing/ApplicationChoice.h"
#include "helper/configuration/editing/ConfigurationDocument.h"
#include "helper/configuration/editing/ConfigurationReport.h"
#include "helper/configuration/editing/ConfigurationWarnings.h"
#include "helper/configuration/editing/TextQuoting.h"

namespace quorvel::editing {

namespace {

constexpr int refused = 1;
constexpr int badArgument = 2;

EditOutcome failed(int status, std::string error)
{
    EditOutcome outcome;
    outcome.status = status;
    outcome.error = std::move(error);
    return outcome;
}

// The action `set` asks for, with its arguments checked as the agent will use them; or why not.
std::variant<ActionKind, EditOutcome> requestedAction(const SetAction& set, MachineLookups& lookups,
                                                      EditOutcome& outcome)
{
    const std::string& argument = set.argument;
    if (!isValidUtf8(argument)) return failed(badArgument, "the " + set.kind + " argument is not valid UTF-8 text");
    if (set.kind == "openApp") {
        auto choice = chooseApplication(argument, lookups);
        if (auto* refusal = std::get_if<std::string>(&choice)) return failed(refused, *refusal);
        auto& chosen = std::get<ChosenApplication>(choice);
        outcome.messages.insert(outcome.messages.end(), chosen.notes.begin(), chosen.notes.end());
        return ActionKind{std::move(chosen.action)};
    }
    if (set.kind == "openURL") {
        if (!lookups.urlToOpen(argument)) {
            return failed(badArgument, quoted(argument) + " is not a URL the agent can open");
        }
        return ActionKind{ActionKind::OpenURL{argument}};
    }
    if (set.kind == "media") return ActionKind{ActionKind::Media{*MediaCommand::fromRawValue(argument)}};
    if (set.kind == "textSnippet") {
        if (argument.empty()) return failed(badArgument, "the snippet's text is empty");
        return ActionKind{ActionKind::TextSnippet{argument}};
    }
    if (set.kind == "runShortcut") {
        if (const auto refusal = shortcuts::nameRefusal(argument)) return failed(badArgument, *refusal);
        const ActionKind kind{ActionKind::RunShortcut{argument}};
        if (lookups.shortcutState(argument) != shortcuts::ShortcutState::runnable) {
            std::string problem = describeAction(kind) + ": ";
            problem += lookups.shortcutState(argument) == shortcuts::ShortcutState::missing
                           ? "there is no executable of that name in " + lookups.shortcutsFolder().string() + " yet"
                           : lookups.shortcutsFolder().string() + "/" + argument + " is not executable";
            outcome.warnings.push_back(problem);
        }
        return kind;
    }
    if (set.kind == "switchApps") return ActionKind{ActionKind::SwitchApps{}};
    if (set.kind == "showAppSwitcher") return ActionKind{ActionKind::ShowAppSwitcher{}};
    if (set.kind == "nextInputSource") return ActionKind{ActionKind::NextInputSource{}};
    if (set.kind == "showSpotlightSearch") return ActionKind{ActionKind::ShowSpotlightSearch{}};
    if (set.kind == "mute") return ActionKind{ActionKind::Mute{}};
    return failed(badArgument, "unknown action kind '" + set.kind + "'");
}

std::string entryNote(const ConfigurationDocument& document, TrackpadCorner corner)
{
    const auto entry = document.entry(corner);
    if (!entry || entry->count < 2) return {};
    return std::string(corner.rawValue()) + " has " + std::to_string(entry->count) +
           " entries; this changed the first, assignments[" + std::to_string(entry->index) +
           "], the one the agent uses";
}

// Carries the edit out on the document; false with the outcome's error when it cannot be done.
bool edit(ConfigurationDocument& document, const Edit& edit, const std::optional<ActionKind>& kind,
          platform::UuidSource& uuids, EditOutcome& outcome)
{
    const auto note = [&](const ActionPlace& place) {
        if (auto text = entryNote(document, place.corner); !text.empty()) outcome.messages.push_back(text);
    };
    if (const auto* set = std::get_if<SetAction>(&edit)) {
        document.setAction(set->place, *kind, uuids);
        outcome.messages.push_back(placeName(set->place) + ": " + describeAction(*kind));
        note(set->place);
    } else if (const auto* unset = std::get_if<UnsetAction>(&edit)) {
        if (!document.removeAction(unset->place)) {
            outcome.messages.push_back(placeName(unset->place) + " has no action; nothing to remove");
            return true;
        }
        outcome.messages.push_back(placeName(unset->place) + ": removed");
        note(unset->place);
    } else if (const auto* master = std::get_if<SwitchMaster>(&edit)) {
        document.setEnabled(master->on);
        outcome.messages.push_back(std::string("Corner taps ") + (master->on ? "on" : "off"));
    } else if (const auto* change = std::get_if<SwitchAction>(&edit)) {
        if (!document.setActionEnabled(change->place, change->on)) {
            outcome.status = refused;
            outcome.error = placeName(change->place) + " has no action to switch " + (change->on ? "on" : "off");
            return false;
        }
        outcome.messages.push_back(placeName(change->place) + ": switched " + (change->on ? "on" : "off"));
        note(change->place);
    } else if (const auto* tune = std::get_if<Tune>(&edit)) {
        document.setTuning(tune->name, tune->value);
        outcome.messages.push_back(tune->name + ": " + number(tune->value));
    } else {
        const RecognizerSettings& defaults = AppConfiguration::defaultConfiguration().recognizer;
        const double values[] = {defaults.cornerZone, defaults.doubleTapWindow, defaults.tripleTapWindow,
                                 defaults.maximumTapDuration, defaults.maximumTapTravel};
        for (std::size_t i = 0; i < std::size(tuningNames); ++i) document.setTuning(tuningNames[i], values[i]);
        outcome.messages.push_back("Tuning back to the defaults");
    }
    return true;
}

std::span<const std::uint8_t> bytesOf(const std::string& text)
{
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// The document an edit starts from: the person's file when it passes the check; the starter
// when there is no file, or with --force when the file does not pass; otherwise why not.
std::variant<ConfigurationDocument, EditOutcome> startingDocument(const EditRequest& request,
                                                                  const std::filesystem::path& file,
                                                                  const FileReadResult& current, EditOutcome& outcome)
{
    if (const auto* bytes = std::get_if<std::vector<std::uint8_t>>(&current)) {
        const auto decoded = decodeConfiguration(std::span(*bytes));
        if (decoded) {
            try {
                return ConfigurationDocument::fromAcceptedText({reinterpret_cast<const char*>(bytes->data()),
                                                                bytes->size()});
            } catch (const nlohmann::json::exception&) {  // the strict decoder accepted it: not expected
                return failed(refused, file.string() + ": the file passes the check but cannot be edited here");
            }
        }
        if (!request.force) {
            return failed(refused, describeConfigurationProblem(file, decoded.error(), *bytes) +
                                       "\nNothing was changed. Mend the file (quorvel config edit), or start again "
                                       "from the default with --force, which keeps a copy of this file.");
        }
    } else if (const auto& failure = std::get<FileReadFailure>(current); !failure.missing && !request.force) {
        return failed(refused, describeConfigurationProblem(file, failure) + "\nNothing was changed.");
    }
    const auto* failure = std::get_if<FileReadFailure>(&current);
    outcome.replacesUnusableFile = !(failure && failure->missing);
    return ConfigurationDocument::starter();
}

}  // namespace

EditOutcome applyEdit(const EditRequest& request, const std::filesystem::path& file, const FileReadResult& current,
                      MachineLookups& lookups, platform::UuidSource& uuids)
{
    EditOutcome outcome;
    std::optional<ActionKind> kind;
    if (const auto* set = std::get_if<SetAction>(&request.edit)) {
        auto requested = requestedAction(*set, lookups, outcome);
        if (auto* refusal = std::get_if<EditOutcome>(&requested)) return std::move(*refusal);
        kind = std::get<ActionKind>(std::move(requested));
    }

    auto starting = startingDocument(request, file, current, outcome);
    if (auto* refusal = std::get_if<EditOutcome>(&starting)) return std::move(*refusal);
    auto& document = std::get<ConfigurationDocument>(starting);
    const nlohmann::ordered_json before = document.json();

    if (!edit(document, request.edit, kind, uuids, outcome)) return outcome;

    const std::string text = document.text();
    const auto written = decodeConfiguration(text);
    const auto inForce = ConfigurationStore::load(bytesOf(text));
    if (!written || !std::holds_alternative<AppConfiguration>(inForce)) {
        return failed(refused, "the edited configuration does not pass the check; nothing was changed");
    }
    if (text.size() > maximumReadableFileSize) {
        return failed(refused, "the configuration would be larger than the agent reads (" +
                                   std::to_string(maximumReadableFileSize / 1024) + " KiB); nothing was changed");
    }
    if (std::holds_alternative<Tune>(request.edit) || std::holds_alternative<ResetTuning>(request.edit)) {
        const auto& tuning = std::get<AppConfiguration>(inForce).recognizer;
        const auto warnings = tuningWarnings(written.value().recognizer, tuning);
        outcome.warnings.insert(outcome.warnings.end(), warnings.begin(), warnings.end());
    }
    if (document.json() != before || outcome.replacesUnusableFile) {
        outcome.content = text;
    } else {
        outcome.messages.push_back("Nothing to change.");
    }
    return outcome;
}

}  // namespace quorvel::editing
