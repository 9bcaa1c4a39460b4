#include "platform/linux/desktop/GioWorkspace.h"

#include <gio/gdesktopappinfo.h>

#include <algorithm>
#include <array>

#include "platform/linux/desktop/DesktopEntryLocations.h"
#include "platform/linux/GLibHandles.h"

namespace quorvel::linux_backend {
namespace {

constexpr std::string_view systemBrowserIdentifier = "com.apple.Safari";
constexpr std::string_view searchLauncherIdentifier = "com.apple.Spotlight";

// Search launchers that come as applications, most specific desktops first.
constexpr std::array<const char*, 5> launcherDesktopIds = {
    "org.kde.krunner.desktop", "xfce4-appfinder.desktop", "ulauncher.desktop", "albert.desktop", "rofi.desktop"};

std::optional<std::string> locationOf(GAppInfo* info)
{
    if (info == nullptr || !G_IS_DESKTOP_APP_INFO(info)) {
        return std::nullopt;
    }
    const char* path = g_desktop_app_info_get_filename(G_DESKTOP_APP_INFO(info));
    return path ? std::optional<std::string>(path) : std::nullopt;
}

std::optional<std::string> installedLocation(const std::string& desktopId)
{
    GObjectPtr<GDesktopAppInfo> info(g_desktop_app_info_new(desktopId.c_str()));
    return locationOf(info ? G_APP_INFO(info.get()) : nullptr);
}

}  // namespace

GioWorkspace::GioWorkspace(std::unique_ptr<RunningApplicationSource> running) : running_(std::move(running)) {}

std::optional<std::string> GioWorkspace::urlForApplication(const std::string& bundleIdentifier)
{
    if (bundleIdentifier == systemBrowserIdentifier) {
        GObjectPtr<GAppInfo> handler(g_app_info_get_default_for_uri_scheme("https"));
        return locationOf(handler.get());
    }
    if (bundleIdentifier == searchLauncherIdentifier) {
        for (const char* id : launcherDesktopIds) {
            if (auto location = installedLocation(id)) {
                return location;
            }
        }
        return std::nullopt;
    }
    if (bundleIdentifier.empty() || bundleIdentifier.find('/') != std::string::npos) {
        return std::nullopt;
    }
    return installedLocation(bundleIdentifier + ".desktop");
}

void GioWorkspace::openApplication(const std::string& applicationLocation)
{
    GObjectPtr<GDesktopAppInfo> info(g_desktop_app_info_new_from_filename(applicationLocation.c_str()));
    if (!info) {
        return;  // not a desktop entry (the reference platform's launcher path, say)
    }
    // A running application comes forward; launching again would open a second
    // instance of the many applications that do not guard against that.
    const char* desktopId = g_app_info_get_id(G_APP_INFO(info.get()));
    const std::optional<std::string> bundleIdentifier =
        desktopId != nullptr ? std::optional<std::string>(withoutDesktopSuffix(desktopId))
                             : desktopFileId(applicationLocation, applicationRootsFromEnvironment());
    if (running_ && bundleIdentifier && running_->activate(*bundleIdentifier)) {
        return;
    }
    GObjectPtr<GAppLaunchContext> context(g_app_launch_context_new());
    GError* error = nullptr;
    g_app_info_launch(G_APP_INFO(info.get()), nullptr, context.get(), &error);
    g_clear_error(&error);
}

std::optional<std::string> GioWorkspace::parseURL(const std::string& text)
{
    GError* error = nullptr;
    GUriPtr uri(g_uri_parse(text.c_str(), G_URI_FLAGS_NONE, &error));
    g_clear_error(&error);
    if (!uri) {
        return std::nullopt;
    }
    // The parser lets raw spaces and control characters through, which no URI may
    // hold; a handler would get text that is not a URL.
    const bool unencoded = std::any_of(text.begin(), text.end(), [](char c) {
        return static_cast<unsigned char>(c) <= 0x20 || c == 0x7f;
    });
    return unencoded ? std::nullopt : std::optional<std::string>(text);
}

bool GioWorkspace::openURL(const std::string& url)
{
    GObjectPtr<GAppLaunchContext> context(g_app_launch_context_new());
    GError* error = nullptr;
    const bool opened = g_app_info_launch_default_for_uri(url.c_str(), context.get(), &error) != FALSE;
    g_clear_error(&error);
    return opened;
}

std::optional<platform::RunningApplication> GioWorkspace::frontmostApplication()
{
    return running_ ? running_->frontmostApplication() : std::nullopt;
}

std::vector<platform::RunningApplication> GioWorkspace::runningApplications()
{
    return running_ ? running_->runningApplications() : std::vector<platform::RunningApplication>{};
}

platform::ObserverToken GioWorkspace::observeApplicationActivation(
    std::function<void(const std::optional<platform::RunningApplication>&)> callback)
{
    if (running_) {
        running_->observeApplicationActivation(std::move(callback));
    }
    return platform::ObserverToken{nextToken_++};
}

std::optional<std::string> GioWorkspace::ownBundleIdentifier()
{
    return std::nullopt;
}

}  // namespace quorvel::linux_backend
