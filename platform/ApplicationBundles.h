#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/PropertyValue.h"

namespace quorvel::platform {

// Where installed applications are looked for, and how they are recognised.
struct ApplicationScanLocations {
    std::vector<std::string> roots;            // scanned in this order; later ones win
    std::string bundleExtension;               // without the dot; exact, case-sensitive
    std::vector<std::string> knownSystemAppBundleIdentifiers;  // resolved through the workspace

    friend bool operator==(const ApplicationScanLocations&, const ApplicationScanLocations&) = default;
};

// Depth-first walk (pre-order) below a root. It may skip hidden items; the catalog
// passes over items whose name begins with a dot, and their contents, itself.
class DirectoryEnumerator {
public:
    virtual ~DirectoryEnumerator() = default;
    // The path of the next item, or nothing at the end.
    virtual std::optional<std::string> next() = 0;
    // Do not descend into the item `next` returned last.
    virtual void skipDescendants() = 0;
};

// The metadata of one application bundle.
struct BundleInfo {
    std::optional<PropertyValue::Dictionary> localizedInfoDictionary;
    std::optional<PropertyValue::Dictionary> infoDictionary;
    std::optional<std::string> bundleIdentifier;

    friend bool operator==(const BundleInfo&, const BundleInfo&) = default;
};

class ApplicationBundles {
public:
    virtual ~ApplicationBundles() = default;
    virtual ApplicationScanLocations scanLocations() = 0;
    virtual bool fileExists(const std::string& path) = 0;
    // Nothing when the root cannot be enumerated.
    virtual std::unique_ptr<DirectoryEnumerator> enumerator(const std::string& root) = 0;
    // Nothing when the path is not a valid bundle.
    virtual std::optional<BundleInfo> openBundle(const std::string& path) = 0;
    // Locale-aware, case-insensitive: negative, zero or positive.
    virtual int localizedCaseInsensitiveCompare(const std::string& a, const std::string& b) = 0;
};

}  // namespace quorvel::platform
