#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "helper/configuration/ActionKind.h"
#include "helper/configuration/editing/ConfigRequest.h"
#include "platform/Uuid.h"

namespace quorvel::editing {

// The person's configuration file as a JSON document, edited in place: members the agent does
// not know stay where they are at every level, entries and members keep their order, and only
// what an edit names changes. Only documents the strict decoder has accepted are edited, so
// every member an edit touches has the shape the file format gives it.
class ConfigurationDocument {
public:
    // Enabled, the default tuning, the four corners without actions.
    static ConfigurationDocument starter();
    // `text` must have passed decodeConfiguration.
    static ConfigurationDocument fromAcceptedText(std::string_view text);

    // The file's new text: two-space indentation, a final line break.
    std::string text() const;
    const nlohmann::ordered_json& json() const { return json_; }

    // The first entry for the corner (the one the agent uses) and how many entries it has.
    struct Entry {
        std::size_t index = 0;
        std::size_t count = 0;
    };
    std::optional<Entry> entry(TrackpadCorner corner) const;

    // Puts the action in the slot, switched on. An action already there keeps its id and its
    // other members; otherwise a new one gets a fresh id. A corner without entry gets one at
    // the end. Returns the entry's index.
    std::size_t setAction(const ActionPlace& place, const ActionKind& kind, platform::UuidSource& uuids);
    // False when the slot holds no action.
    bool removeAction(const ActionPlace& place);
    bool setActionEnabled(const ActionPlace& place, bool on);
    void setEnabled(bool on);
    void setTuning(const std::string& name, double value);

private:
    explicit ConfigurationDocument(nlohmann::ordered_json json) : json_(std::move(json)) {}
    nlohmann::ordered_json* action(const ActionPlace& place);

    nlohmann::ordered_json json_;
};

}  // namespace quorvel::editing
