#include "tests/fakes/FakeApplicationBundles.h"

#include <strings.h>

namespace quorvel::testing {

namespace {

class FakeDirectoryEnumerator final : public platform::DirectoryEnumerator {
public:
    FakeDirectoryEnumerator(const std::set<std::string>& paths, const std::string& root) : paths_(paths)
    {
        pushChildren(root);
    }

    std::optional<std::string> next() override
    {
        if (last_ && !skipLast_) pushChildren(*last_);
        skipLast_ = false;
        last_.reset();
        if (pending_.empty()) return std::nullopt;
        last_ = pending_.back();
        pending_.pop_back();
        return last_;
    }
    void skipDescendants() override { skipLast_ = true; }

private:
    // Queues the direct children of `folder`, the first in name order at the back.
    void pushChildren(const std::string& folder)
    {
        const auto prefix = folder + "/";
        std::vector<std::string> children;
        for (auto it = paths_.lower_bound(prefix); it != paths_.end() && it->starts_with(prefix); ++it) {
            if (it->find('/', prefix.size()) == std::string::npos) children.push_back(*it);
        }
        pending_.insert(pending_.end(), children.rbegin(), children.rend());
    }

    const std::set<std::string>& paths_;
    std::vector<std::string> pending_;
    std::optional<std::string> last_;
    bool skipLast_ = false;
};

}  // namespace

void FakeApplicationBundles::addBundle(const std::string& path, platform::BundleInfo info)
{
    for (auto slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
        paths.insert(path.substr(0, slash));
    }
    paths.insert(path);
    paths.insert(path + "/Contents");
    bundles[path] = std::move(info);
}

std::unique_ptr<platform::DirectoryEnumerator> FakeApplicationBundles::enumerator(const std::string& root)
{
    if (unenumerableRoots.contains(root) || !paths.contains(root)) return nullptr;
    return std::make_unique<FakeDirectoryEnumerator>(paths, root);
}

std::optional<platform::BundleInfo> FakeApplicationBundles::openBundle(const std::string& path)
{
    const auto found = bundles.find(path);
    return found == bundles.end() ? std::nullopt : std::optional(found->second);
}

int FakeApplicationBundles::localizedCaseInsensitiveCompare(const std::string& a, const std::string& b)
{
    return strcasecmp(a.c_str(), b.c_str());
}

}  // namespace quorvel::testing
