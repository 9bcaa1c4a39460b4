#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "helper/configuration/AppConfiguration.h"
#include "helper/configuration/editing/MachineLookups.h"

namespace quorvel::editing {

// An entry for a corner that an earlier entry already has: the agent never reads it.
struct IgnoredEntry {
    std::size_t index = 0;  // in "assignments"
    std::size_t first = 0;  // the entry that counts
    TrackpadCorner corner = TrackpadCorner::topLeft;
};
std::vector<IgnoredEntry> ignoredEntries(const AppConfiguration& configuration);

// What a usable file holds that is legal but surely not meant: tuning that breaks recognition,
// tuning the agent replaces, entries it ignores, and actions whose application or shortcut this
// machine does not have. `written` is the file as decoded, `inForce` after the agent's
// normalisation. Each warning says where in the file.
std::vector<std::string> configurationWarnings(const AppConfiguration& written, const AppConfiguration& inForce,
                                               MachineLookups& lookups);

// The tuning warnings alone (no look-ups), for `tune`.
std::vector<std::string> tuningWarnings(const RecognizerSettings& written, const RecognizerSettings& inForce);

}  // namespace quorvel::editing
