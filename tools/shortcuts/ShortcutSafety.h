#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace quorvel::shortcuts {

// Why a shortcut file or folder must not be trusted to run as the user, as ssh treats its
// keys: it belongs to someone other than the user (or root), or others than its owner may
// write to it. Symbolic links are followed: the file or folder they lead to is judged.
// Nothing when it is safe, or when it does not exist.
std::optional<std::string> untrustworthy(const std::filesystem::path& path);

// The folder a shortcut runs in: the user's home folder, "/" when there is none.
std::filesystem::path shortcutWorkingDirectory();

}  // namespace quorvel::shortcuts
