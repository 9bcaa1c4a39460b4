#include "tools/shortcuts/ShortcutsFolder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <system_error>

#include "helper/configuration/SharedPaths.h"

namespace quorvel::shortcuts {

std::filesystem::path shortcutsFolder()
{
    return SharedPaths::applicationSupportDirectory() / "shortcuts";
}

std::optional<std::string> nameRefusal(const std::string& name)
{
    if (name.empty()) return "a shortcut name must not be empty";
    if (name.find('/') != std::string::npos) return "a shortcut name must not contain \"/\"";
    if (name.front() == '.') return "a shortcut name must not start with \".\"";
    // A command line cannot carry it: the name would end there and another shortcut would run.
    if (name.find('\0') != std::string::npos) return "a shortcut name must not contain a NUL character";
    return std::nullopt;
}

ShortcutState shortcutState(const std::filesystem::path& file)
{
    struct stat status {};
    if (::stat(file.c_str(), &status) != 0) return ShortcutState::missing;
    if (!S_ISREG(status.st_mode) || ::access(file.c_str(), X_OK) != 0) return ShortcutState::notExecutable;
    return ShortcutState::runnable;
}

std::vector<std::string> runnableShortcuts(const std::filesystem::path& folder)
{
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        if (!nameRefusal(name) && shortcutState(entry.path()) == ShortcutState::runnable) names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace quorvel::shortcuts
