#include "helper/configuration/SharedPaths.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvel::SharedPaths {

namespace {

std::optional<std::string> environment(const char* name)
{
    if (const char* value = std::getenv(name)) return std::string(value);
    return std::nullopt;
}

std::optional<std::string> passwordDatabaseHome(uid_t user)
{
    std::vector<char> buffer(16 * 1024);
    passwd entry{};
    passwd* result = nullptr;
    if (::getpwuid_r(user, &entry, buffer.data(), buffer.size(), &result) != 0 || result == nullptr) {
        return std::nullopt;
    }
    if (result->pw_dir == nullptr) return std::nullopt;
    return std::string(result->pw_dir);
}

// XDG: a relative or empty path in these variables is invalid and must be ignored.
const std::string* usable(const std::optional<std::string>& path)
{
    if (!path || path->empty() || (*path)[0] != '/') return nullptr;
    return &*path;
}

}  // namespace

UserDirectories currentUserDirectories()
{
    const uid_t user = ::getuid();
    UserDirectories directories{
        .xdgConfigHome = environment("XDG_CONFIG_HOME"),
        .home = environment("HOME"),
        .passwordHome = std::nullopt,
        .xdgRuntimeDir = environment("XDG_RUNTIME_DIR"),
        .userID = user,
    };
    // The user database may sit behind a network service; ask it only when the environment
    // does not answer (the agent computes the path twice a second).
    if (!usable(directories.xdgConfigHome) && !usable(directories.home)) {
        directories.passwordHome = passwordDatabaseHome(user);
    }
    return directories;
}

std::filesystem::path applicationSupportDirectory(const UserDirectories& directories)
{
    std::filesystem::path base;
    if (const std::string* configHome = usable(directories.xdgConfigHome)) {
        base = *configHome;
    } else if (const std::string* home = usable(directories.home)) {
        base = std::filesystem::path(*home) / ".config";
    } else if (const std::string* passwordHome = usable(directories.passwordHome)) {
        base = std::filesystem::path(*passwordHome) / ".config";
    } else if (const std::string* runtime = usable(directories.xdgRuntimeDir)) {
        base = *runtime;
    } else {
        base = std::filesystem::path("/run/user") / std::to_string(directories.userID);
    }
    return base / directoryName;
}

std::filesystem::path applicationSupportDirectory()
{
    return applicationSupportDirectory(currentUserDirectories());
}

std::optional<std::string> createPrivateDirectories(const std::filesystem::path& directory)
{
    std::filesystem::path partial;
    for (const auto& component : directory) {
        partial /= component;
        if (::mkdir(partial.c_str(), 0700) == 0) continue;
        const int error = errno;
        struct stat status {};
        if (::stat(partial.c_str(), &status) == 0 && S_ISDIR(status.st_mode)) continue;
        return "cannot create the folder " + partial.string() + ": " + std::strerror(error == EEXIST ? ENOTDIR : error);
    }
    return std::nullopt;
}

}  // namespace quorvel::SharedPaths
