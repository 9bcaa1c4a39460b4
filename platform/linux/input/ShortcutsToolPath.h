#pragma once

#include <filesystem>

namespace quorvel::linux_backend {

inline constexpr const char* shortcutsToolName = "quorvel-shortcuts";

// The shortcuts tool is installed next to the agent's executable.
std::filesystem::path shortcutsToolBeside(const std::filesystem::path& agentExecutable);

// The shortcuts tool of the running agent (found through /proc/self/exe); the installed
// binary folder when the executable cannot be read.
std::filesystem::path installedShortcutsTool();

}  // namespace quorvel::linux_backend
