#include "platform/linux/desktop/DesktopEntryBundles.h"

#include <dirent.h>
#include <glib.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <system_error>

#include "platform/linux/desktop/DesktopEntryLocations.h"
#include "platform/linux/GLibHandles.h"

namespace quorvel::linux_backend {
namespace {

constexpr const char* entryGroup = "Desktop Entry";

// Depth-first walk in name order that never follows symbolic links into folders
// (a link loop cannot trap it) and never shows names starting with ".".
class HiddenSkippingEnumerator final : public platform::DirectoryEnumerator {
public:
    explicit HiddenSkippingEnumerator(const std::string& root) { pushFolder(root); }

    bool opened() const { return !stack_.empty(); }

    std::optional<std::string> next() override
    {
        if (pendingFolder_) {
            pushFolder(*pendingFolder_);
            pendingFolder_.reset();
        }
        while (!stack_.empty()) {
            Level& level = stack_.back();
            if (level.position == level.names.size()) {
                stack_.pop_back();
                continue;
            }
            std::string path = level.folder + "/" + level.names[level.position++];
            struct stat status {};
            if (::lstat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode)) {
                pendingFolder_ = path;
            }
            return path;
        }
        return std::nullopt;
    }

    void skipDescendants() override { pendingFolder_.reset(); }

private:
    struct Level {
        std::string folder;
        std::vector<std::string> names;
        std::size_t position = 0;
    };

    void pushFolder(const std::string& folder)
    {
        std::unique_ptr<DIR, int (*)(DIR*)> directory(::opendir(folder.c_str()), &::closedir);
        if (!directory) {
            return;  // unreadable folders are passed over
        }
        Level level{folder, {}, 0};
        while (const dirent* entry = ::readdir(directory.get())) {
            if (entry->d_name[0] != '.') {
                level.names.emplace_back(entry->d_name);
            }
        }
        std::sort(level.names.begin(), level.names.end());
        stack_.push_back(std::move(level));
    }

    std::vector<Level> stack_;
    std::optional<std::string> pendingFolder_;
};

std::optional<std::string> keyFileString(GKeyFile* file, const char* key)
{
    GCharPtr value(g_key_file_get_string(file, entryGroup, key, nullptr));
    return value ? std::optional<std::string>(value.get()) : std::nullopt;
}

bool keyFileTrue(GKeyFile* file, const char* key)
{
    GError* error = nullptr;
    const gboolean value = g_key_file_get_boolean(file, entryGroup, key, &error);
    g_clear_error(&error);
    return value != FALSE;
}

// Desktop names in OnlyShowIn/NotShowIn are plain words; anything else (a path, say)
// makes the entry malformed.
bool desktopNamesValid(GKeyFile* file, const char* key)
{
    gsize count = 0;
    GStrvPtr names(g_key_file_get_string_list(file, entryGroup, key, &count, nullptr));
    for (gsize i = 0; names && i < count; ++i) {
        for (const char* c = names.get()[i]; *c != '\0'; ++c) {
            if (!g_ascii_isalnum(*c) && *c != '-' && *c != '_') {
                return false;
            }
        }
    }
    return true;
}

bool isLaunchableApplication(GKeyFile* file)
{
    if (!g_key_file_has_group(file, entryGroup) || keyFileString(file, "Type") != "Application" ||
        keyFileTrue(file, "Hidden")) {
        return false;
    }
    if (!g_key_file_has_key(file, entryGroup, "Exec", nullptr) && !keyFileTrue(file, "DBusActivatable")) {
        return false;
    }
    return desktopNamesValid(file, "OnlyShowIn") && desktopNamesValid(file, "NotShowIn");
}

}  // namespace

DesktopEntryBundles::DesktopEntryBundles(std::vector<std::string> roots) : roots_(std::move(roots)) {}

std::unique_ptr<DesktopEntryBundles> DesktopEntryBundles::forCurrentUser()
{
    return std::make_unique<DesktopEntryBundles>(applicationRootsFromEnvironment());
}

platform::ApplicationScanLocations DesktopEntryBundles::scanLocations()
{
    // The system browser is resolved through the workspace (the https handler).
    return {roots_, "desktop", {"com.apple.Safari"}};
}

bool DesktopEntryBundles::fileExists(const std::string& path)
{
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0;
}

std::unique_ptr<platform::DirectoryEnumerator> DesktopEntryBundles::enumerator(const std::string& root)
{
    auto walker = std::make_unique<HiddenSkippingEnumerator>(root);
    if (!walker->opened()) {
        return nullptr;
    }
    return walker;
}

std::optional<platform::BundleInfo> DesktopEntryBundles::openBundle(const std::string& path)
{
    GKeyFilePtr file(g_key_file_new());
    if (!g_key_file_load_from_file(file.get(), path.c_str(), G_KEY_FILE_NONE, nullptr) ||
        !isLaunchableApplication(file.get())) {
        return std::nullopt;
    }

    platform::BundleInfo info;
    info.bundleIdentifier = desktopFileId(path, roots_);
    if (const std::optional<std::string> name = keyFileString(file.get(), "Name")) {
        info.infoDictionary = platform::PropertyValue::Dictionary{{"CFBundleName", {*name}}};
        GCharPtr localized(g_key_file_get_locale_string(file.get(), entryGroup, "Name", nullptr, nullptr));
        if (localized) {
            info.localizedInfoDictionary = platform::PropertyValue::Dictionary{
                {"CFBundleDisplayName", {std::string(localized.get())}}, {"CFBundleName", {*name}}};
        }
    }
    return info;
}

int DesktopEntryBundles::localizedCaseInsensitiveCompare(const std::string& a, const std::string& b)
{
    if (!g_utf8_validate(a.data(), static_cast<gssize>(a.size()), nullptr) ||
        !g_utf8_validate(b.data(), static_cast<gssize>(b.size()), nullptr)) {
        const int order = a.compare(b);
        return (order > 0) - (order < 0);
    }
    GCharPtr foldedA(g_utf8_casefold(a.data(), static_cast<gssize>(a.size())));
    GCharPtr foldedB(g_utf8_casefold(b.data(), static_cast<gssize>(b.size())));
    const int order = g_utf8_collate(foldedA.get(), foldedB.get());
    return (order > 0) - (order < 0);
}

}  // namespace quorvel::linux_backend
