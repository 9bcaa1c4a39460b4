#include "helper/configuration/editing/MachineLookups.h"

#include <algorithm>

#include "helper/actions/Launching.h"

namespace quorvel::editing {

const std::vector<InstalledApplication>& MachineLookups::applications()
{
    if (!applications_) applications_ = InstalledAppCatalog::loadApplications(bundles_, workspace_);
    return *applications_;
}

std::optional<InstalledApplication> MachineLookups::applicationWithIdentifier(const std::string& bundleIdentifier)
{
    const auto location = workspace_.urlForApplication(bundleIdentifier);
    if (!location) return std::nullopt;
    auto record = InstalledAppCatalog::application(bundles_, *location);
    if (record && !record->bundleIdentifier) record->bundleIdentifier = bundleIdentifier;
    return record;
}

bool MachineLookups::findsApplication(const std::string& name, const std::optional<std::string>& bundleIdentifier)
{
    if (bundleIdentifier && workspace_.urlForApplication(*bundleIdentifier)) return true;
    const auto& all = applications();
    return std::any_of(all.begin(), all.end(), [&name](const auto& application) { return application.name == name; });
}

std::optional<std::string> MachineLookups::urlToOpen(const std::string& text)
{
    return ActionDispatcher::urlToOpen(workspace_, text);
}

shortcuts::ShortcutState MachineLookups::shortcutState(const std::string& name) const
{
    return shortcuts::shortcutState(shortcutsFolder_ / name);
}

}  // namespace quorvel::editing
