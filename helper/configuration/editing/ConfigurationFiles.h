#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>

#include "platform/UniqueFd.h"

namespace quorvel::editing {

// Replaces `file` with `content` in one step, so that a reader (the agent polls twice a second)
// sees the old file or the new one, never part of either: a temporary file in the same folder,
// written, flushed to disk, given the old file's permissions (0600 for a new file), renamed over
// the file, the folder flushed. Missing folders are created private (0700). A symbolic link is
// followed: its target is replaced and the link stays. With `mustNotExist`, an existing file
// is left alone and that is the failure. Nothing on success; otherwise what failed.
std::optional<std::string> writeFileAtomically(const std::filesystem::path& file, std::string_view content,
                                               bool mustNotExist = false);

// Keeps a copy of `file` beside it, private to the user, under the first free name of
// "<name>.unusable", "<name>.unusable-2", ...: its path, or why there is none.
std::variant<std::filesystem::path, std::string> keepCopyBeside(const std::filesystem::path& file);

// The advisory lock every `quorvel config` edit holds around its read-modify-write, on a file
// of its own in `folder` (created if need be), so that two edits at once do not lose either
// change. Waits for an edit in progress. Released when destroyed.
class EditLock {
public:
    static std::variant<EditLock, std::string> acquire(const std::filesystem::path& folder);
    EditLock(EditLock&&) noexcept = default;
    EditLock& operator=(EditLock&&) = delete;

    static constexpr const char* fileName = "configuration.lock";

private:
    explicit EditLock(platform::UniqueFd file) : file_(std::move(file)) {}
    platform::UniqueFd file_;
};

}  // namespace quorvel::editing
