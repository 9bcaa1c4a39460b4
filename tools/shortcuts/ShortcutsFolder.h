#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace quorvel::shortcuts {

// The "shortcuts" folder of the agent's support directory.
std::filesystem::path shortcutsFolder();

// Why a name cannot be a shortcut (it would leave the folder, name a hidden file, or not fit
// on a command line); nothing when it can.
std::optional<std::string> nameRefusal(const std::string& name);

enum class ShortcutState { missing, notExecutable, runnable };

ShortcutState shortcutState(const std::filesystem::path& file);

// The runnable shortcuts in `folder`, sorted by name; none when the folder is missing.
std::vector<std::string> runnableShortcuts(const std::filesystem::path& folder);

}  // namespace quorvel::shortcuts
