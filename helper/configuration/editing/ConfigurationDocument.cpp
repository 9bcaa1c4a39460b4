#include "helper/configuration/editing/ConfigurationDocument.h"

#include <algorithm>
#include <iterator>

#include "helper/configuration/AppConfiguration.h"
#include "helper/configuration/ConfigurationJson.h"

namespace quorvel::editing {

namespace {

using Json = nlohmann::ordered_json;

bool isCaseName(const std::string& name)
{
    return std::find(std::begin(ActionKind::caseNames), std::end(ActionKind::caseNames), name) !=
           std::end(ActionKind::caseNames);
}

// `object` with `name` set to `value`: in its place when present, else just before the member
// `before` (when there is one) or at the end.
Json withMember(const Json& object, const std::string& name, Json value, const std::string& before)
{
    if (object.contains(name) || !object.contains(before)) {
        Json result = object;
        result[name] = std::move(value);
        return result;
    }
    Json result = Json::object();
    for (const auto& [key, member] : object.items()) {
        if (key == before) result[name] = value;
        result[key] = member;
    }
    return result;
}

// The kind object with its one case member replaced, in its place; the payload's other members
// stay when the case stays the same.
Json replacedKind(const Json& kindObject, const ActionKind& kind)
{
    const Json fresh = toJson(kind);
    const std::string caseName(kind.caseName());
    Json payload = fresh.at(caseName);
    if (kindObject.contains(caseName) && kindObject.at(caseName).is_object()) {
        Json merged = kindObject.at(caseName);
        for (const auto& [label, value] : payload.items()) merged[label] = value;
        if (caseName == "openApp" && !payload.contains("bundleIdentifier")) merged.erase("bundleIdentifier");
        payload = std::move(merged);
    }
    Json result = Json::object();
    bool placed = false;
    for (const auto& [key, member] : kindObject.items()) {
        if (!isCaseName(key)) {
            result[key] = member;
        } else if (!placed) {
            result[caseName] = payload;
            placed = true;
        }
    }
    if (!placed) result[caseName] = payload;
    return result;
}

}  // namespace

ConfigurationDocument ConfigurationDocument::starter()
{
    return ConfigurationDocument(toJson(AppConfiguration::defaultConfiguration()));
}

ConfigurationDocument ConfigurationDocument::fromAcceptedText(std::string_view text)
{
    return ConfigurationDocument(Json::parse(text));
}

std::string ConfigurationDocument::text() const { return json_.dump(2) + "\n"; }

std::optional<ConfigurationDocument::Entry> ConfigurationDocument::entry(TrackpadCorner corner) const
{
    std::optional<Entry> found;
    const Json& assignments = json_.at("assignments");
    for (std::size_t i = 0; i < assignments.size(); ++i) {
        if (assignments[i].at("corner").get<std::string>() != corner.rawValue()) continue;
        if (!found) found = Entry{i, 0};
        ++found->count;
    }
    return found;
}

Json* ConfigurationDocument::action(const ActionPlace& place)
{
    const auto found = entry(place.corner);
    if (!found) return nullptr;
    Json& corner = json_["assignments"][found->index];
    const std::string slot = slotName(place.slot);
    if (!corner.contains(slot) || corner[slot].is_null()) return nullptr;
    return &corner[slot];
}

std::size_t ConfigurationDocument::setAction(const ActionPlace& place, const ActionKind& kind,
                                             platform::UuidSource& uuids)
{
    if (Json* existing = action(place)) {
        (*existing)["kind"] = replacedKind(existing->at("kind"), kind);
        (*existing)["isEnabled"] = true;
        return entry(place.corner)->index;
    }
    Json fresh = toJson(AssignedAction{uuids.make(), kind, true});
    Json& assignments = json_["assignments"];
    const auto found = entry(place.corner);
    if (!found) {
        assignments.push_back(Json{{"corner", std::string(place.corner.rawValue())}});
    }
    const std::size_t index = found ? found->index : assignments.size() - 1;
    const std::string slot = slotName(place.slot);
    // A double-tap action reads best before the triple-tap one.
    assignments[index] = withMember(assignments[index], slot, std::move(fresh),
                                    place.slot == TapPattern::doubleTap ? "tripleTap" : "");
    return index;
}

bool ConfigurationDocument::removeAction(const ActionPlace& place)
{
    if (!action(place)) return false;
    json_["assignments"][entry(place.corner)->index].erase(slotName(place.slot));
    return true;
}

bool ConfigurationDocument::setActionEnabled(const ActionPlace& place, bool on)
{
    Json* existing = action(place);
    if (!existing) return false;
    (*existing)["isEnabled"] = on;
    return true;
}

void ConfigurationDocument::setEnabled(bool on) { json_["isEnabled"] = on; }

void ConfigurationDocument::setTuning(const std::string& name, double value) { json_["recognizer"][name] = value; }

}  // namespace quorvel::editing
