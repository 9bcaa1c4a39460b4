#include "platform/linux/desktop/DesktopFileIdResolver.h"

#include <gio/gdesktopappinfo.h>

#include "platform/linux/desktop/DesktopEntryLocations.h"
#include "platform/linux/GLibHandles.h"

namespace quorvel::linux_backend {
namespace {

void invalidateIndex(GAppInfoMonitor*, gpointer data)
{
    *static_cast<bool*>(data) = false;
}

}  // namespace

DesktopFileIdResolver::DesktopFileIdResolver() : monitor_(g_app_info_monitor_get())
{
    changedHandler_ = g_signal_connect(monitor_, "changed", G_CALLBACK(invalidateIndex), &indexValid_);
}

DesktopFileIdResolver::~DesktopFileIdResolver()
{
    g_signal_handler_disconnect(monitor_, changedHandler_);
    g_object_unref(monitor_);
}

bool DesktopFileIdResolver::installed(const std::string& id)
{
    if (id.empty() || id.find('/') != std::string::npos) {
        return false;
    }
    GObjectPtr<GDesktopAppInfo> info(g_desktop_app_info_new((id + ".desktop").c_str()));
    return info != nullptr;
}

void DesktopFileIdResolver::rebuildStartupClassIndex()
{
    startupClassIndex_.clear();
    GList* all = g_app_info_get_all();
    for (GList* item = all; item != nullptr; item = item->next) {
        auto* info = static_cast<GAppInfo*>(item->data);
        if (G_IS_DESKTOP_APP_INFO(info)) {
            const char* startupClass = g_desktop_app_info_get_startup_wm_class(G_DESKTOP_APP_INFO(info));
            const char* id = g_app_info_get_id(info);
            if (startupClass != nullptr && id != nullptr) {
                startupClassIndex_.emplace(startupClass, withoutDesktopSuffix(id));
            }
        }
    }
    g_list_free_full(all, g_object_unref);
    indexValid_ = true;
}

std::optional<std::string> DesktopFileIdResolver::resolve(const std::optional<std::string>& applicationId,
                                                          const std::optional<std::string>& wmClassInstance,
                                                          const std::optional<std::string>& wmClassName)
{
    for (const auto* candidate : {&applicationId, &wmClassName, &wmClassInstance}) {
        if (*candidate && installed(**candidate)) {
            return **candidate;
        }
    }
    if (!wmClassName && !wmClassInstance) {
        return std::nullopt;
    }
    if (!indexValid_) {
        rebuildStartupClassIndex();
    }
    for (const auto* candidate : {&wmClassName, &wmClassInstance}) {
        if (*candidate) {
            if (auto found = startupClassIndex_.find(**candidate); found != startupClassIndex_.end()) {
                return found->second;
            }
        }
    }
    if (wmClassName) {
        GCharPtr lower(g_ascii_strdown(wmClassName->c_str(), -1));
        if (installed(lower.get())) {
            return std::string(lower.get());
        }
    }
    return std::nullopt;
}

}  // namespace quorvel::linux_backend
