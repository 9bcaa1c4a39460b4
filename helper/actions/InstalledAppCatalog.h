#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/ApplicationBundles.h"
#include "platform/Workspace.h"

namespace quorvel {

// One installed application as the catalog lists it.
struct InstalledApplication {
    std::string name;                             // display name
    std::optional<std::string> bundleIdentifier;  // absent when the bundle declares none
    std::string url;                              // location of the application bundle

    // The identifier when present, else the location; the scan's de-duplication key.
    const std::string& id() const { return bundleIdentifier ? *bundleIdentifier : url; }

    friend bool operator==(const InstalledApplication&, const InstalledApplication&) = default;
};

// The applications installed on the machine, scanned afresh on every call.
namespace InstalledAppCatalog {

// Every application found below the platform's scan roots plus the known system
// applications, one per identity, sorted by name (locale-aware, case-insensitive,
// stable). Never fails: nothing found gives the empty list.
std::vector<InstalledApplication> loadApplications(platform::ApplicationBundles& bundles,
                                                   platform::Workspace& workspace);

// The record of the bundle at `url`, or nothing when it is not a bundle.
std::optional<InstalledApplication> application(platform::ApplicationBundles& bundles, const std::string& url);

}  // namespace InstalledAppCatalog

}  // namespace quorvel
