#include "platform/linux/input/ShortcutsToolPath.h"

#include <system_error>

namespace quorvel::linux_backend {

std::filesystem::path shortcutsToolBeside(const std::filesystem::path& agentExecutable)
{
    return agentExecutable.parent_path() / shortcutsToolName;
}

std::filesystem::path installedShortcutsTool()
{
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error || self.empty()) return std::filesystem::path(QUORVEL_INSTALL_FULL_BINDIR) / shortcutsToolName;
    return shortcutsToolBeside(self);
}

}  // namespace quorvel::linux_backend
