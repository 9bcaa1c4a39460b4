#include "platform/linux/input/LinuxInputServices.h"

#include "platform/linux/input/ShortcutsToolPath.h"

namespace quorvel::linux_backend {
namespace {

platform::Logger helperLogger(platform::LogSink& log)
{
    return platform::Logger(log, "Quorvel", "Helper");
}

}  // namespace

LinuxInputServices::LinuxInputServices(platform::LogSink& log)
    : keyboard_(keyboardFactory_),
      eventTap_(keyboard_),
      notifier_(helperLogger(log)),
      prompt_(notifier_, clock_, helperLogger(log)),
      accessibility_(keyboard_, prompt_),
      launcher_(installedShortcutsTool()),
      alertSound_(BellAlertSound::desktop(helperLogger(log)))
{
}

}  // namespace quorvel::linux_backend
