#include "helper/app/LinuxHelperServices.h"

#include "helper/app/AbsentInputSources.h"
#include "helper/app/AbsentPasteboard.h"
#include "platform/linux/desktop/EwmhApplications.h"
#include "platform/linux/desktop/X11Clipboard.h"

namespace quorvel {

namespace {

std::unique_ptr<platform::Pasteboard> sessionPasteboard(GMainContext* context)
{
    if (auto clipboard = linux_backend::X11Clipboard::connect(context)) return clipboard;
    return std::make_unique<AbsentPasteboard>();
}

std::unique_ptr<platform::KeyboardInputSources> sessionInputSources()
{
    return std::make_unique<AbsentInputSources>();
}

}  // namespace

LinuxHelperServices::LinuxHelperServices()
    : workspace_(linux_backend::EwmhApplications::connect(mainQueue_.context())),
      input_(log_),
      pasteboard_(sessionPasteboard(mainQueue_.context())),
      inputSources_(sessionInputSources()),
      preferences_(linux_backend::LauncherShortcutReader::forCurrentSession()),
      applicationBundles_(linux_backend::DesktopEntryBundles::forCurrentUser())
{
}

LinuxHelperServices::~LinuxHelperServices() = default;

HelperServices LinuxHelperServices::services()
{
    return HelperServices{
        MonitorServices{mainQueue_, wallClock_, log_, uuids_, systemEvents_, multitouch_},
        ActionServices{workspace_, input_.eventTap(), input_.accessibility(), *pasteboard_, *inputSources_,
                       *preferences_, input_.processLauncher(), input_.alertSound(), *applicationBundles_,
                       mainQueue_},
        mainQueue_,
        log_,
    };
}

}  // namespace quorvel
