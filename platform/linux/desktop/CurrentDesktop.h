#pragma once

#include <algorithm>
#include <string_view>

namespace quorvel::linux_backend {

// Whether a colon-separated desktop list such as $XDG_CURRENT_DESKTOP ("ubuntu:GNOME")
// names `desktop`.
inline bool desktopListIncludes(std::string_view list, std::string_view desktop)
{
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t end = std::min(list.find(':', start), list.size());
        if (list.substr(start, end - start) == desktop) {
            return true;
        }
        start = end + 1;
    }
    return false;
}

}  // namespace quorvel::linux_backend
