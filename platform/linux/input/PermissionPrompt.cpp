#include "platform/linux/input/PermissionPrompt.h"

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace quorvel::linux_backend {
namespace {

constexpr const char* uinputPath = "/dev/uinput";
constexpr const char* udevRuleName = "70-quorvel.rules";

bool deviceMissing(int error)
{
    return error == ENOENT || error == ENODEV || error == ENXIO;
}

bool accessDenied(int error)
{
    return error == EACCES || error == EPERM;
}

std::string reason(int error)
{
    if (accessDenied(error)) return "no write access to /dev/uinput";
    if (deviceMissing(error)) return "/dev/uinput is missing (the uinput kernel module is not loaded)";
    return std::string("cannot create a virtual keyboard on /dev/uinput: ") + std::strerror(error);
}

// What to do about it, for the log line (the notification says the same in its own words).
std::string remedy(int error)
{
    const std::string rule = std::string("install the udev rule ") + udevRuleName +
                             " that comes with Quorvel, then log out and in again (see packaging/README.md)";
    if (deviceMissing(error)) {
        return "load the module with `sudo modprobe uinput` (and list \"uinput\" in /etc/modules-load.d), and " + rule;
    }
    return rule;
}

}  // namespace

DesktopNotification permissionNotification(int uinputError, const std::optional<std::string>& uinputGroup)
{
    DesktopNotification notification;
    notification.summary = "Quorvel cannot press keys";
    const std::string purpose = " to type, paste and press keys for your touchpad corners. ";
    const std::string rule = std::string("the udev rule ") + udevRuleName + " that comes with Quorvel (into /etc/udev/rules.d)";
    if (deviceMissing(uinputError)) {
        notification.body = "Quorvel needs the uinput kernel module" + purpose +
                            "Load it (list \"uinput\" in /etc/modules-load.d), install " + rule +
                            ", then log out and log in again.";
    } else {
        notification.body = "Quorvel needs write access to /dev/uinput" + purpose + "Install " + rule;
        if (uinputGroup) notification.body += ", or join the group \"" + *uinputGroup + "\" that owns /dev/uinput";
        notification.body += ", then log out and log in again.";
    }
    return notification;
}

std::optional<std::string> uinputGroupName()
{
    struct stat status {};
    if (::stat(uinputPath, &status) != 0 || status.st_gid == 0) return std::nullopt;
    std::vector<char> buffer(16384);
    group entry{};
    group* found = nullptr;
    if (::getgrgid_r(status.st_gid, &entry, buffer.data(), buffer.size(), &found) != 0 || !found) {
        return std::nullopt;
    }
    return std::string(found->gr_name);
}

void PermissionPrompt::request(int uinputError)
{
    logger_.error("Cannot post input events: %s; %s", reason(uinputError).c_str(), remedy(uinputError).c_str());
    const double now = clock_.now();
    if (lastShown_ && now - *lastShown_ < minimumIntervalSeconds) return;
    if (notifier_.notify(permissionNotification(uinputError, uinputGroupName()))) lastShown_ = now;
}

}  // namespace quorvel::linux_backend
