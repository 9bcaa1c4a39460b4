#include "helper/app/LinuxHelperServices.h"

namespace quorvel {

LinuxHelperServices::LinuxHelperServices()
    : input_(log_), desktop_(linux_backend::connectDesktopServices(mainQueue_.context(), input_.eventTap()))
{
}

LinuxHelperServices::~LinuxHelperServices() = default;

HelperServices LinuxHelperServices::services()
{
    return HelperServices{
        MonitorServices{mainQueue_, wallClock_, log_, uuids_, systemEvents_, multitouch_},
        ActionServices{*desktop_.workspace, input_.eventTap(), input_.accessibility(), *desktop_.pasteboard,
                       *desktop_.keyboardInputSources, *desktop_.preferenceReader, input_.processLauncher(),
                       input_.alertSound(), *desktop_.applicationBundles, mainQueue_, log_},
        mainQueue_,
        log_,
    };
}

}  // namespace quorvel
