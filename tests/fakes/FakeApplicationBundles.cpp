#include "tests/fakes/FakeApplicationBundles.h"

#include <algorithm>
#include <cctype>

namespace quorvel::testing {

namespace {

class FakeDirectoryEnumerator final : public platform::DirectoryEnumerator {
public:
    FakeDirectoryEnumerator(FakeApplicationBundles& tree, const std::string& root) : tree_(tree) { pushChildren(root); }

    std::optional<std::string> next() override
    {
        if (last_ && !skipLast_) pushChildren(*last_);
        skipLast_ = false;
        if (pending_.empty()) {
            last_.reset();
            return std::nullopt;
        }
        last_ = pending_.back();
        pending_.pop_back();
        tree_.visited.push_back(*last_);
        return last_;
    }
    void skipDescendants() override { skipLast_ = true; }

private:
    void pushChildren(const std::string& folder)
    {
        auto children = tree_.children(folder);
        pending_.insert(pending_.end(), children.rbegin(), children.rend());
    }

    FakeApplicationBundles& tree_;
    std::vector<std::string> pending_;  // next item at the back
    std::optional<std::string> last_;
    bool skipLast_ = false;
};

}  // namespace

void FakeApplicationBundles::addPath(const std::string& path)
{
    for (auto slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
        paths.insert(path.substr(0, slash));
    }
    paths.insert(path);
}

void FakeApplicationBundles::addBundle(const std::string& path, platform::BundleInfo info)
{
    addPath(path);
    addPath(path + "/Contents");
    bundles[path] = std::move(info);
}

void FakeApplicationBundles::addApplication(const std::string& path, const std::string& bundleIdentifier,
                                            const std::string& name)
{
    addBundle(path, platform::BundleInfo{std::nullopt,
                                         platform::PropertyValue::Dictionary{{"CFBundleName", {name}}},
                                         bundleIdentifier});
}

std::unique_ptr<platform::DirectoryEnumerator> FakeApplicationBundles::enumerator(const std::string& root)
{
    if (unenumerableRoots.contains(root) || !paths.contains(root)) return nullptr;
    return std::make_unique<FakeDirectoryEnumerator>(*this, root);
}

std::optional<platform::BundleInfo> FakeApplicationBundles::openBundle(const std::string& path)
{
    const auto found = bundles.find(path);
    return found == bundles.end() ? std::nullopt : std::optional(found->second);
}

int FakeApplicationBundles::localizedCaseInsensitiveCompare(const std::string& a, const std::string& b)
{
    const auto lower = [](std::string text) {
        std::transform(text.begin(), text.end(), text.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        return text;
    };
    return lower(a).compare(lower(b));
}

std::vector<std::string> FakeApplicationBundles::children(const std::string& folder) const
{
    std::vector<std::string> result;
    const auto prefix = folder + "/";
    for (auto it = paths.lower_bound(prefix); it != paths.end() && it->starts_with(prefix); ++it) {
        if (it->find('/', prefix.size()) == std::string::npos) result.push_back(*it);
    }
    return result;
}

}  // namespace quorvel::testing
