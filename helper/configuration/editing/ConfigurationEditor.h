#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "helper/configuration/ConfigurationInForce.h"
#include "helper/configuration/editing/ConfigRequest.h"
#include "helper/configuration/editing/MachineLookups.h"
#include "platform/Uuid.h"

namespace quorvel::editing {

// What one edit comes to. Nothing here has touched the disk: the caller writes `content`.
struct EditOutcome {
    int status = 0;                      // as the command exits: 0 done, 1 refused, 2 bad argument
    std::optional<std::string> content;  // the file's new text; none when nothing is to be written
    bool replacesUnusableFile = false;   // --force over a file that fails the check: keep a copy first
    std::vector<std::string> messages;   // what was done, for standard output
    std::vector<std::string> warnings;   // for standard error
    std::string error;                   // why not, for standard error, when status is not 0
};

// Applies `request` to the file as read (`current`): arguments first (a textSnippet's
// `argument` already holds the text), then the file, which must pass the check unless
// `force` starts again from the default; then the edit on the person's own document.
EditOutcome applyEdit(const EditRequest& request, const std::filesystem::path& file, const FileReadResult& current,
                      MachineLookups& lookups, platform::UuidSource& uuids);

}  // namespace quorvel::editing
