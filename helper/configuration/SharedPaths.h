#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace quorvel {

// The agent's per-user support directory and the files in it.
namespace SharedPaths {

inline constexpr const char* directoryName = "Quorvel";
inline constexpr const char* configurationFileName = "configuration.json";
inline constexpr const char* lockFileName = "helper.lock";
inline constexpr const char* suppressActionsFileName = "suppress-actions";

// "Quorvel" in the user's configuration directory (XDG Base Directory rules). Computed on
// every call from the process environment; never fails and creates nothing.
std::filesystem::path applicationSupportDirectory();

// What the lookup depends on, as read from the environment and the user database.
struct UserDirectories {
    std::optional<std::string> xdgConfigHome;   // $XDG_CONFIG_HOME
    std::optional<std::string> home;            // $HOME
    std::optional<std::string> passwordHome;    // the user database's home directory (only looked up
                                                // when the two above are unusable)
    std::optional<std::string> xdgRuntimeDir;   // $XDG_RUNTIME_DIR
    unsigned long userID = 0;
};

UserDirectories currentUserDirectories();

// The rule itself:
// 1. $XDG_CONFIG_HOME when set to an absolute path (relative or empty values are ignored,
//    as the XDG base directory rules say);
// 2. else ".config" in the home directory ($HOME if absolute, else the user database's);
// 3. with no home directory at all, the per-user runtime directory ($XDG_RUNTIME_DIR if
//    absolute, else /run/user/<uid>), never a directory shared between users such as /tmp.
// Then "Quorvel" below it.
std::filesystem::path applicationSupportDirectory(const UserDirectories& directories);

// Creates `directory` and any missing parent with mode 0700: folders we make in the user's
// configuration tree are private to the user (XDG Base Directory rules). Existing folders are
// left as they are. Nothing when the directory exists afterwards; otherwise what failed, with
// the folder and the system's reason.
std::optional<std::string> createPrivateDirectories(const std::filesystem::path& directory);

}  // namespace SharedPaths

}  // namespace quorvel
