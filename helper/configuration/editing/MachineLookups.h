#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "helper/actions/InstalledAppCatalog.h"
#include "platform/ApplicationBundles.h"
#include "platform/Workspace.h"
#include "tools/shortcuts/ShortcutsFolder.h"

namespace quorvel::editing {

// What the machine offers to the actions of a configuration, looked up as the agent looks it
// up when it acts: its application catalog and workspace, its URL rules, the shortcuts folder.
class MachineLookups {
public:
    MachineLookups(platform::ApplicationBundles& bundles, platform::Workspace& workspace,
                   std::filesystem::path shortcutsFolder)
        : bundles_(bundles), workspace_(workspace), shortcutsFolder_(std::move(shortcutsFolder))
    {
    }

    // The installed applications, scanned on first use.
    const std::vector<InstalledApplication>& applications();
    // The application the workspace finds by this identifier, as the catalog records it.
    std::optional<InstalledApplication> applicationWithIdentifier(const std::string& bundleIdentifier);
    // Whether an openApp action finds something to open: by identifier, else by name.
    bool findsApplication(const std::string& name, const std::optional<std::string>& bundleIdentifier);

    // The URL an openURL action opens for the text; nothing when it would refuse it.
    std::optional<std::string> urlToOpen(const std::string& text);

    shortcuts::ShortcutState shortcutState(const std::string& name) const;
    const std::filesystem::path& shortcutsFolder() const { return shortcutsFolder_; }

private:
    platform::ApplicationBundles& bundles_;
    platform::Workspace& workspace_;
    std::filesystem::path shortcutsFolder_;
    std::optional<std::vector<InstalledApplication>> applications_;
};

}  // namespace quorvel::editing
