#pragma once

#include <gio/gio.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace quorvel::inspection {

inline constexpr const char* agentUnitName = "quorvel-helper.service";

// Whether the user's service manager has the agent's unit and starts it with the session.
struct UnitState {
    enum class Installation { installed, notInstalled, masked, cannotTell };
    Installation installation = Installation::cannotTell;
    bool enabled = false;         // wanted by a target (only when installed)
    std::filesystem::path file;   // where the unit was found, when known
    std::string why;              // for cannotTell

    friend bool operator==(const UnitState&, const UnitState&) = default;
};

// The folders systemd reads user units from, in its order of precedence, for this environment.
std::vector<std::filesystem::path> userUnitFolders();

// From the unit folders: the first that holds the unit decides (a link to /dev/null or an
// empty file masks it); any of their "*.wants" or "*.requires" folders linking it enables it.
UnitState unitStateFromFolders(const std::vector<std::filesystem::path>& folders, const std::string& unit);

// From the user's service manager on `bus`; nothing when it does not answer there.
std::optional<UnitState> unitStateFromManager(GDBusConnection* bus, const std::string& unit);

// The manager's answer where it gives one, else the folders'.
UnitState agentUnitState(GDBusConnection* bus);

// One sentence for a person: the state and what to do next.
std::string describeUnitState(const UnitState& state);

}  // namespace quorvel::inspection
