#pragma once

#include <gio/gio.h>

#include <map>
#include <optional>
#include <string>

namespace quorvel::linux_backend {

// Maps what a window says about its application to a desktop-file ID (without
// ".desktop"): the application id first, then the WM_CLASS class and instance names
// as IDs, then a StartupWMClass match, then the lower-cased class name.
class DesktopFileIdResolver {
public:
    DesktopFileIdResolver();
    ~DesktopFileIdResolver();
    DesktopFileIdResolver(const DesktopFileIdResolver&) = delete;
    DesktopFileIdResolver& operator=(const DesktopFileIdResolver&) = delete;

    std::optional<std::string> resolve(const std::optional<std::string>& applicationId,
                                       const std::optional<std::string>& wmClassInstance,
                                       const std::optional<std::string>& wmClassName);

private:
    static bool installed(const std::string& id);
    void rebuildStartupClassIndex();

    // StartupWMClass → desktop-file ID, rebuilt when the installed applications change.
    std::map<std::string, std::string> startupClassIndex_;
    bool indexValid_ = false;
    GAppInfoMonitor* monitor_ = nullptr;
    gulong changedHandler_ = 0;
};

}  // namespace quorvel::linux_backend
