#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quorvel::linux_backend {

// The `applications` folders of the XDG data directories, lowest precedence first
// and the user's own last ($XDG_DATA_DIRS reversed, then $XDG_DATA_HOME or
// ~/.local/share). Read from the environment at each call.
std::vector<std::string> applicationRootsFromEnvironment();

// The desktop-file ID of the entry at `path` without its ".desktop" suffix, as the
// freedesktop desktop entry rules build it: the path relative to the applications
// root that holds it, with "/" replaced by "-". The nearest enclosing root of
// `roots` is used; without one, the part after the last "applications" folder, else
// the file name. Nothing when the name does not end in ".desktop".
std::optional<std::string> desktopFileId(const std::string& path, const std::vector<std::string>& roots);

// A desktop-file ID as GIO reports it ("org.example.App.desktop") without its suffix.
std::string withoutDesktopSuffix(std::string id);

}  // namespace quorvel::linux_backend
