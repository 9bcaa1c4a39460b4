#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ApplicationBundles.h"

namespace quorvel::linux_backend {

// Installed applications as desktop entries: the XDG `applications` folders are the
// scan roots and a ".desktop" file plays the bundle. Its desktop-file ID is the
// bundle identifier, its localised Name the display name.
class DesktopEntryBundles final : public platform::ApplicationBundles {
public:
    // `roots`: the applications folders, lowest precedence first.
    explicit DesktopEntryBundles(std::vector<std::string> roots);
    // The roots of the current environment (XDG base directories).
    static std::unique_ptr<DesktopEntryBundles> forCurrentUser();

    platform::ApplicationScanLocations scanLocations() override;
    bool fileExists(const std::string& path) override;
    std::unique_ptr<platform::DirectoryEnumerator> enumerator(const std::string& root) override;
    std::optional<platform::BundleInfo> openBundle(const std::string& path) override;
    int localizedCaseInsensitiveCompare(const std::string& a, const std::string& b) override;

private:
    std::vector<std::string> roots_;
};

}  // namespace quorvel::linux_backend
