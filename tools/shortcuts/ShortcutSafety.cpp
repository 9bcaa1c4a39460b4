#include "tools/shortcuts/ShortcutSafety.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace quorvel::shortcuts {

std::optional<std::string> untrustworthy(const std::filesystem::path& path)
{
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) return std::nullopt;
    const char* what = S_ISDIR(status.st_mode) ? "folder" : "file";
    if (status.st_uid != ::getuid() && status.st_uid != 0) {
        return std::string("the ") + what + " " + path.string() + " belongs to another user (uid " +
               std::to_string(status.st_uid) + "); only your own or root's can be run";
    }
    if ((status.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        return std::string("the ") + what + " " + path.string() +
               " can be changed by other users; make it writable by you alone: chmod go-w '" + path.string() + "'";
    }
    return std::nullopt;
}

std::filesystem::path shortcutWorkingDirectory()
{
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') return home;
    std::vector<char> buffer(16 * 1024);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
        found->pw_dir != nullptr && found->pw_dir[0] == '/') {
        return found->pw_dir;
    }
    return "/";
}

}  // namespace quorvel::shortcuts
