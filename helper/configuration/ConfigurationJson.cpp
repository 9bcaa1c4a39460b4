#include "helper/configuration/ConfigurationJson.h"

#include <cmath>
#include <type_traits>
#include <utility>
#include <vector>

#include "helper/configuration/StrictJsonParser.h"

namespace quorvel {

namespace {

using Json = nlohmann::json;
using OrderedJson = nlohmann::ordered_json;
using Kind = DecodingError::Kind;

// --- decoding ----------------------------------------------------------------------------------
// The readers below throw `Failure` on the first problem; the public decoders catch it, so a
// failure never leaves this file and never yields a partial value.

struct Failure {
    DecodingError error;
};

[[noreturn]] void fail(Kind kind, const std::string& path, std::string reason)
{
    throw Failure{DecodingError{kind, path, std::move(reason)}};
}

std::string memberPath(const std::string& path, std::string_view name)
{
    return path.empty() ? std::string(name) : path + "." + std::string(name);
}

std::string elementPath(const std::string& path, std::size_t index)
{
    return path + "[" + std::to_string(index) + "]";
}

// A text from the file as it may appear in a reason: JSON-quoted, ASCII only, so that a reason
// printed to a terminal cannot carry control sequences.
std::string quoted(const std::string& raw)
{
    return Json(raw).dump(-1, ' ', /*ensure_ascii=*/true, Json::error_handler_t::replace);
}

[[noreturn]] void failType(const Json& json, const std::string& path, std::string_view expected)
{
    fail(Kind::typeMismatch, path, "expected " + std::string(expected) + ", found " + json.type_name());
}

const Json::object_t& readObject(const Json& json, const std::string& path, std::string_view what)
{
    if (!json.is_object()) failType(json, path, what);
    return json.get_ref<const Json::object_t&>();
}

// A member that must be there and must not be null.
const Json& required(const Json::object_t& object, const std::string& path, std::string_view name)
{
    const auto found = object.find(std::string(name));
    if (found == object.end()) fail(Kind::keyNotFound, memberPath(path, name), "required member is missing");
    if (found->second.is_null()) fail(Kind::valueNotFound, memberPath(path, name), "required member is null");
    return found->second;
}

// A member that may be absent or null, both meaning none.
const Json* optional(const Json::object_t& object, std::string_view name)
{
    const auto found = object.find(std::string(name));
    if (found == object.end() || found->second.is_null()) return nullptr;
    return &found->second;
}

bool readBool(const Json& json, const std::string& path)
{
    if (!json.is_boolean()) failType(json, path, "a boolean");
    return json.get<bool>();
}

double readNumber(const Json& json, const std::string& path)
{
    if (!json.is_number()) failType(json, path, "a number");
    const double value = json.get<double>();
    // The parser already refuses overflow; a tree built elsewhere might still carry one.
    if (!std::isfinite(value)) fail(Kind::dataCorrupted, path, "number is not finite");
    return value;
}

std::string readString(const Json& json, const std::string& path)
{
    if (!json.is_string()) failType(json, path, "a string");
    return json.get<std::string>();
}

TrackpadCorner readCorner(const Json& json, const std::string& path)
{
    const std::string raw = readString(json, path);
    if (auto corner = TrackpadCorner::fromRawValue(raw)) return *corner;
    fail(Kind::dataCorrupted, path,
         quoted(raw) + " is not a corner (topLeft, topRight, bottomLeft or bottomRight)");
}

TapPattern readTapPattern(const Json& json, const std::string& path)
{
    const double raw = readNumber(json, path);
    if (raw == 2) return TapPattern::doubleTap;
    if (raw == 3) return TapPattern::tripleTap;
    fail(Kind::dataCorrupted, path, json.dump() + " is not a tap pattern (2 or 3)");
}

MediaCommand readMediaCommand(const Json& json, const std::string& path)
{
    const std::string raw = readString(json, path);
    if (auto command = MediaCommand::fromRawValue(raw)) return *command;
    fail(Kind::dataCorrupted, path, quoted(raw) + " is not a media command");
}

platform::Uuid readUuid(const Json& json, const std::string& path)
{
    const std::string raw = readString(json, path);
    if (auto uuid = platform::Uuid::fromString(raw)) return *uuid;
    fail(Kind::dataCorrupted, path, quoted(raw) + " is not a UUID (8-4-4-4-12 hexadecimal digits)");
}

ActionKind::Value readPayload(std::string_view caseName, const Json& json, const std::string& path)
{
    const auto& payload = readObject(json, path, "an object holding the action's payload");
    auto text = [&](std::string_view label) { return readString(required(payload, path, label), memberPath(path, label)); };
    // Payload-less cases ignore whatever their object holds.
    if (caseName == "openApp") {
        ActionKind::OpenApp openApp;
        openApp.name = text("name");
        if (const Json* bundle = optional(payload, "bundleIdentifier")) {
            openApp.bundleIdentifier = readString(*bundle, memberPath(path, "bundleIdentifier"));
        }
        return openApp;
    }
    if (caseName == "openURL") return ActionKind::OpenURL{text("urlString")};
    if (caseName == "switchApps") return ActionKind::SwitchApps{};
    if (caseName == "showAppSwitcher") return ActionKind::ShowAppSwitcher{};
    if (caseName == "nextInputSource") return ActionKind::NextInputSource{};
    if (caseName == "showSpotlightSearch") return ActionKind::ShowSpotlightSearch{};
    if (caseName == "media") {
        return ActionKind::Media{readMediaCommand(required(payload, path, "command"), memberPath(path, "command"))};
    }
    if (caseName == "mute") return ActionKind::Mute{};
    if (caseName == "textSnippet") return ActionKind::TextSnippet{text("text")};
    if (caseName == "runShortcut") return ActionKind::RunShortcut{text("name")};
    fail(Kind::dataCorrupted, path, "unknown action kind");  // caseNames and this list disagree
}

ActionKind readActionKind(const Json& json, const std::string& path)
{
    const auto& object = readObject(json, path, "an object naming one action kind");
    std::vector<std::string_view> named;
    for (std::string_view caseName : ActionKind::caseNames) {
        if (object.count(std::string(caseName)) != 0) named.push_back(caseName);
    }
    if (named.size() != 1) fail(Kind::typeMismatch, path, std::string(invalidActionKindKeysReason));
    return ActionKind{readPayload(named[0], object.at(std::string(named[0])), memberPath(path, named[0]))};
}

AssignedAction readAssignedAction(const Json& json, const std::string& path)
{
    const auto& object = readObject(json, path, "an object for an assigned action");
    AssignedAction action;
    action.id = readUuid(required(object, path, "id"), memberPath(path, "id"));
    action.kind = readActionKind(required(object, path, "kind"), memberPath(path, "kind"));
    action.isEnabled = readBool(required(object, path, "isEnabled"), memberPath(path, "isEnabled"));
    return action;
}

std::optional<AssignedAction> readOptionalAction(const Json::object_t& object, const std::string& path,
                                                 std::string_view name)
{
    if (const Json* action = optional(object, name)) return readAssignedAction(*action, memberPath(path, name));
    return std::nullopt;
}

CornerAssignment readCornerAssignment(const Json& json, const std::string& path)
{
    const auto& object = readObject(json, path, "an object for a corner assignment");
    CornerAssignment assignment;
    assignment.corner = readCorner(required(object, path, "corner"), memberPath(path, "corner"));
    assignment.doubleTap = readOptionalAction(object, path, "doubleTap");
    assignment.tripleTap = readOptionalAction(object, path, "tripleTap");
    return assignment;
}

RecognizerSettings readRecognizerSettings(const Json& json, const std::string& path)
{
    const auto& object = readObject(json, path, "an object for the recognizer settings");
    auto number = [&](std::string_view name) { return readNumber(required(object, path, name), memberPath(path, name)); };
    RecognizerSettings settings;
    settings.cornerZone = number("cornerZone");
    settings.doubleTapWindow = number("doubleTapWindow");
    settings.tripleTapWindow = number("tripleTapWindow");
    settings.maximumTapDuration = number("maximumTapDuration");
    settings.maximumTapTravel = number("maximumTapTravel");
    return settings;
}

AppConfiguration readAppConfiguration(const Json& json, const std::string& path)
{
    const auto& object = readObject(json, path, "an object for the configuration");
    AppConfiguration configuration;
    configuration.isEnabled = readBool(required(object, path, "isEnabled"), memberPath(path, "isEnabled"));
    configuration.recognizer = readRecognizerSettings(required(object, path, "recognizer"), memberPath(path, "recognizer"));
    const std::string assignmentsPath = memberPath(path, "assignments");
    const Json& assignments = required(object, path, "assignments");
    if (!assignments.is_array()) failType(assignments, assignmentsPath, "an array of corner assignments");
    for (std::size_t i = 0; i < assignments.size(); ++i) {
        configuration.assignments.push_back(readCornerAssignment(assignments[i], elementPath(assignmentsPath, i)));
    }
    return configuration;
}

template <class Reader>
auto decodeWith(Reader read, const Json& json, const std::string& path) -> Decoded<decltype(read(json, path))>
{
    try {
        return read(json, path);
    } catch (Failure& failure) {
        return std::move(failure.error);
    }
}

// --- encoding ----------------------------------------------------------------------------------

bool isFinite(const RecognizerSettings& settings)
{
    return std::isfinite(settings.cornerZone) && std::isfinite(settings.doubleTapWindow) &&
           std::isfinite(settings.tripleTapWindow) && std::isfinite(settings.maximumTapDuration) &&
           std::isfinite(settings.maximumTapTravel);
}

}  // namespace

// --- public decoders ---------------------------------------------------------------------------

Decoded<AppConfiguration> decodeConfiguration(std::span<const std::uint8_t> bytes)
{
    Decoded<Json> document = parseStrictJson(bytes);
    if (!document) return document.error();
    return decodeAppConfiguration(document.value());
}

Decoded<AppConfiguration> decodeConfiguration(std::string_view text)
{
    return decodeConfiguration(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

Decoded<AppConfiguration> decodeAppConfiguration(const Json& json, const std::string& path)
{
    return decodeWith(readAppConfiguration, json, path);
}
Decoded<RecognizerSettings> decodeRecognizerSettings(const Json& json, const std::string& path)
{
    return decodeWith(readRecognizerSettings, json, path);
}
Decoded<CornerAssignment> decodeCornerAssignment(const Json& json, const std::string& path)
{
    return decodeWith(readCornerAssignment, json, path);
}
Decoded<AssignedAction> decodeAssignedAction(const Json& json, const std::string& path)
{
    return decodeWith(readAssignedAction, json, path);
}
Decoded<ActionKind> decodeActionKind(const Json& json, const std::string& path)
{
    return decodeWith(readActionKind, json, path);
}
Decoded<MediaCommand> decodeMediaCommand(const Json& json, const std::string& path)
{
    return decodeWith(readMediaCommand, json, path);
}
Decoded<TrackpadCorner> decodeTrackpadCorner(const Json& json, const std::string& path)
{
    return decodeWith(readCorner, json, path);
}
Decoded<TapPattern> decodeTapPattern(const Json& json, const std::string& path)
{
    return decodeWith(readTapPattern, json, path);
}
Decoded<platform::Uuid> decodeUuid(const Json& json, const std::string& path)
{
    return decodeWith(readUuid, json, path);
}

// --- public encoders ---------------------------------------------------------------------------

OrderedJson toJson(TrackpadCorner corner) { return std::string(corner.rawValue()); }
OrderedJson toJson(TapPattern pattern) { return pattern.rawValue(); }
OrderedJson toJson(MediaCommand command) { return std::string(command.rawValue()); }
OrderedJson toJson(const platform::Uuid& uuid) { return uuid.toString(); }

OrderedJson toJson(const ActionKind& kind)
{
    OrderedJson payload = OrderedJson::object();
    std::visit(
        [&payload](const auto& value) {
            using Payload = std::decay_t<decltype(value)>;
            if constexpr (std::is_same_v<Payload, ActionKind::OpenApp>) {
                payload["name"] = value.name;
                if (value.bundleIdentifier) payload["bundleIdentifier"] = *value.bundleIdentifier;
            } else if constexpr (std::is_same_v<Payload, ActionKind::OpenURL>) {
                payload["urlString"] = value.urlString;
            } else if constexpr (std::is_same_v<Payload, ActionKind::Media>) {
                payload["command"] = toJson(value.command);
            } else if constexpr (std::is_same_v<Payload, ActionKind::TextSnippet>) {
                payload["text"] = value.text;
            } else if constexpr (std::is_same_v<Payload, ActionKind::RunShortcut>) {
                payload["name"] = value.name;
            }
        },
        kind.value);
    OrderedJson json = OrderedJson::object();
    json[std::string(kind.caseName())] = std::move(payload);
    return json;
}

OrderedJson toJson(const AssignedAction& action)
{
    OrderedJson json = OrderedJson::object();
    json["id"] = toJson(action.id);
    json["kind"] = toJson(action.kind);
    json["isEnabled"] = action.isEnabled;
    return json;
}

OrderedJson toJson(const CornerAssignment& assignment)
{
    OrderedJson json = OrderedJson::object();
    json["corner"] = toJson(assignment.corner);
    if (assignment.doubleTap) json["doubleTap"] = toJson(*assignment.doubleTap);
    if (assignment.tripleTap) json["tripleTap"] = toJson(*assignment.tripleTap);
    return json;
}

OrderedJson toJson(const RecognizerSettings& settings)
{
    OrderedJson json = OrderedJson::object();
    json["cornerZone"] = settings.cornerZone;
    json["doubleTapWindow"] = settings.doubleTapWindow;
    json["tripleTapWindow"] = settings.tripleTapWindow;
    json["maximumTapDuration"] = settings.maximumTapDuration;
    json["maximumTapTravel"] = settings.maximumTapTravel;
    return json;
}

OrderedJson toJson(const AppConfiguration& configuration)
{
    OrderedJson json = OrderedJson::object();
    json["isEnabled"] = configuration.isEnabled;
    json["recognizer"] = toJson(configuration.recognizer);
    OrderedJson assignments = OrderedJson::array();
    for (const CornerAssignment& assignment : configuration.assignments) assignments.push_back(toJson(assignment));
    json["assignments"] = std::move(assignments);
    return json;
}

std::optional<std::string> encodeConfiguration(const AppConfiguration& configuration, JsonLayout layout)
{
    if (!isFinite(configuration.recognizer)) return std::nullopt;
    try {
        std::string text = toJson(configuration).dump(layout == JsonLayout::pretty ? 2 : -1);
        if (layout == JsonLayout::pretty) text.push_back('\n');
        return text;
    } catch (const nlohmann::json::type_error&) {
        return std::nullopt;  // a text that is not valid UTF-8
    }
}

}  // namespace quorvel
