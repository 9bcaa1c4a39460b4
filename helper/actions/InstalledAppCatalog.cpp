#include "helper/actions/InstalledAppCatalog.h"

#include <algorithm>
#include <map>
#include <string_view>

#include "helper/actions/SystemValues.h"

namespace quorvel::InstalledAppCatalog {

namespace {

std::string_view lastPathComponent(std::string_view path)
{
    const auto slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// The text after the last dot of the last component; a leading dot starts no extension.
std::string_view pathExtension(std::string_view path)
{
    const auto component = lastPathComponent(path);
    const auto dot = component.rfind('.');
    if (dot == std::string_view::npos || dot == 0) return {};
    return component.substr(dot + 1);
}

std::string_view deletingPathExtension(std::string_view component)
{
    const auto dot = component.rfind('.');
    if (dot == std::string_view::npos || dot == 0) return component;
    return component.substr(0, dot);
}

bool isHidden(std::string_view path) { return lastPathComponent(path).starts_with('.'); }

const std::string* textValue(const platform::PropertyValue::Dictionary& dictionary, std::string_view key)
{
    const auto entry = dictionary.find(std::string(key));
    if (entry == dictionary.end()) return nullptr;
    return std::get_if<std::string>(&entry->second.value);
}

// The application bundles below one root, in the order the walk meets them. Nothing
// inside a bundle is visited, and hidden items are passed over with their contents.
std::vector<std::string> bundlesBelow(platform::DirectoryEnumerator& enumerator, std::string_view bundleExtension)
{
    std::vector<std::string> found;
    while (auto path = enumerator.next()) {
        if (isHidden(*path)) {
            enumerator.skipDescendants();
        } else if (pathExtension(*path) == bundleExtension) {
            found.push_back(std::move(*path));
            enumerator.skipDescendants();
        }
    }
    return found;
}

}  // namespace

std::optional<InstalledApplication> application(platform::ApplicationBundles& bundles, const std::string& url)
{
    const auto bundle = bundles.openBundle(url);
    if (!bundle) return std::nullopt;

    // The localised dictionary, once it exists, is the only one consulted.
    const platform::PropertyValue::Dictionary empty;
    const auto& info = bundle->localizedInfoDictionary ? *bundle->localizedInfoDictionary
                       : bundle->infoDictionary        ? *bundle->infoDictionary
                                                       : empty;
    std::string name;
    if (const auto* displayName = textValue(info, system_values::bundleDisplayNameKey)) {
        name = *displayName;
    } else if (const auto* bundleName = textValue(info, system_values::bundleNameKey)) {
        name = *bundleName;
    } else {
        name = std::string(deletingPathExtension(lastPathComponent(url)));
    }
    return InstalledApplication{std::move(name), bundle->bundleIdentifier, url};
}

std::vector<InstalledApplication> loadApplications(platform::ApplicationBundles& bundles,
                                                   platform::Workspace& workspace)
{
    const auto locations = bundles.scanLocations();
    // Later roots replace earlier records of the same identity.
    std::map<std::string, InstalledApplication> byIdentity;
    const auto store = [&byIdentity](InstalledApplication record) {
        auto key = record.id();
        byIdentity.insert_or_assign(std::move(key), std::move(record));
    };

    for (const auto& root : locations.roots) {
        if (!bundles.fileExists(root)) continue;
        const auto enumerator = bundles.enumerator(root);
        if (!enumerator) continue;
        for (const auto& path : bundlesBelow(*enumerator, locations.bundleExtension)) {
            if (auto record = application(bundles, path)) store(std::move(*record));
        }
    }
    for (const auto& identifier : locations.knownSystemAppBundleIdentifiers) {
        const auto location = workspace.urlForApplication(identifier);
        if (!location) continue;
        if (auto record = application(bundles, *location)) store(std::move(*record));
    }

    std::vector<InstalledApplication> applications;
    applications.reserve(byIdentity.size());
    for (auto& [identity, record] : byIdentity) applications.push_back(std::move(record));
    std::stable_sort(applications.begin(), applications.end(),
                     [&bundles](const InstalledApplication& a, const InstalledApplication& b) {
                         return bundles.localizedCaseInsensitiveCompare(a.name, b.name) < 0;
                     });
    return applications;
}

}  // namespace quorvel::InstalledAppCatalog
