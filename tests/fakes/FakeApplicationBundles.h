#pragma once

#include <map>
#include <set>

#include "platform/ApplicationBundles.h"

namespace quorvel::testing {

// An in-memory folder tree with bundle metadata. Its enumerator walks depth-first in
// name order and, unlike some desktops' walkers, does not skip hidden items. Names
// compare case-insensitively over ASCII, the fake's locale.
class FakeApplicationBundles final : public platform::ApplicationBundles {
public:
    platform::ApplicationScanLocations locations;
    std::set<std::string> paths;                         // every file and folder
    std::map<std::string, platform::BundleInfo> bundles;  // paths that open as bundles
    std::set<std::string> unenumerableRoots;

    // Adds a bundle folder, its parent folders and its metadata.
    void addBundle(const std::string& path, platform::BundleInfo info);
    // A bundle with only an identifier and a name.
    void addApplication(const std::string& path, const std::string& identifier, const std::string& name)
    {
        addBundle(path, {std::nullopt, platform::PropertyValue::Dictionary{{"CFBundleName", {name}}}, identifier});
    }

    platform::ApplicationScanLocations scanLocations() override { return locations; }
    bool fileExists(const std::string& path) override { return paths.contains(path); }
    std::unique_ptr<platform::DirectoryEnumerator> enumerator(const std::string& root) override;
    std::optional<platform::BundleInfo> openBundle(const std::string& path) override;
    int localizedCaseInsensitiveCompare(const std::string& a, const std::string& b) override;
};

}  // namespace quorvel::testing
