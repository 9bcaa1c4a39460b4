#include "platform/linux/desktop/DesktopEntryLocations.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>

namespace quorvel::linux_backend {
namespace {

constexpr std::string_view desktopSuffix = ".desktop";

std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::vector<std::string> splitPathList(const std::string& list)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t end = std::min(list.find(':', start), list.size());
        if (end > start) {
            parts.push_back(list.substr(start, end - start));
        }
        start = end + 1;
    }
    return parts;
}

std::string withoutTrailingSlashes(std::string path)
{
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

bool endsWith(std::string_view text, std::string_view suffix)
{
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

}  // namespace

std::string withoutDesktopSuffix(std::string id)
{
    if (id.size() > desktopSuffix.size() && endsWith(id, desktopSuffix)) {
        id.resize(id.size() - desktopSuffix.size());
    }
    return id;
}

std::vector<std::string> applicationRootsFromEnvironment()
{
    std::vector<std::string> dataDirs = splitPathList(environment("XDG_DATA_DIRS"));
    if (dataDirs.empty()) {
        dataDirs = {"/usr/local/share", "/usr/share"};
    }
    std::string dataHome = environment("XDG_DATA_HOME");
    if (dataHome.empty()) {
        const std::string home = environment("HOME");
        if (!home.empty()) {
            dataHome = home + "/.local/share";
        }
    }

    std::vector<std::string> roots;
    for (auto it = dataDirs.rbegin(); it != dataDirs.rend(); ++it) {
        roots.push_back(withoutTrailingSlashes(*it) + "/applications");
    }
    if (!dataHome.empty()) {
        roots.push_back(withoutTrailingSlashes(dataHome) + "/applications");
    }
    return roots;
}

std::optional<std::string> desktopFileId(const std::string& path, const std::vector<std::string>& roots)
{
    if (!endsWith(path, desktopSuffix)) {
        return std::nullopt;
    }
    std::string relative;
    std::size_t bestRootLength = 0;
    for (const std::string& rawRoot : roots) {
        const std::string root = withoutTrailingSlashes(rawRoot) + "/";
        if (root.size() > bestRootLength && path.size() > root.size() && path.compare(0, root.size(), root) == 0) {
            bestRootLength = root.size();
            relative = path.substr(root.size());
        }
    }
    if (bestRootLength == 0) {
        constexpr std::string_view marker = "/applications/";
        const std::size_t at = path.rfind(marker);
        relative = at != std::string::npos ? path.substr(at + marker.size()) : path.substr(path.rfind('/') + 1);
    }
    relative.resize(relative.size() - desktopSuffix.size());
    if (relative.empty()) {
        return std::nullopt;
    }
    std::replace(relative.begin(), relative.end(), '/', '-');
    return relative;
}

}  // namespace quorvel::linux_backend
