#include "tools/inspection/DeviceChecks.h"

#include <grp.h>
#include <linux/input.h>
#include <pwd.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "platform/PrintableText.h"

namespace quorvel::inspection {

namespace fs = std::filesystem;
using linux_backend::DeviceKind;

namespace {

std::string described(const std::string& name, const std::string& node)
{
    return (name.empty() ? std::string("(unnamed)") : platform::escapedForDisplay(name)) +
           (node.empty() ? "" : " (" + node + ")");
}

std::string userName()
{
    if (const passwd* entry = ::getpwuid(::getuid())) return entry->pw_name;
    return {};
}

// Whether /etc/group lists the user in the group: then only a new login gives it to them.
bool listedInGroup(const fs::path& groupFile, const std::string& group, const std::string& user)
{
    std::ifstream in(groupFile);
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        std::string name, password, id, members;
        std::getline(fields, name, ':');
        std::getline(fields, password, ':');
        std::getline(fields, id, ':');
        std::getline(fields, members);
        if (name != group) continue;
        std::istringstream list(members);
        for (std::string member; std::getline(list, member, ',');) {
            if (member == user) return true;
        }
    }
    return false;
}

constexpr const char* accessFix =
    "install the udev rule 70-quorvel.rules into /etc/udev/rules.d (it comes with Quorvel), then "
    "sudo udevadm control --reload && sudo udevadm trigger --subsystem-match=input --subsystem-match=misc; "
    "or: sudo usermod -aG input \"$USER\", then log out and back in";

}  // namespace

std::vector<TouchpadFinding> findTouchpads(const linux_backend::ScanLocations& locations)
{
    std::vector<TouchpadFinding> found;
    for (const auto& scanned : linux_backend::scanInputDevices(locations)) {
        if (!scanned.kind || (*scanned.kind != DeviceKind::touchpad && *scanned.kind != DeviceKind::protocolAOnly)) {
            continue;
        }
        TouchpadFinding finding{scanned.path, scanned.description->name, *scanned.kind == DeviceKind::protocolAOnly,
                                scanned.openError, false};
        if (scanned.device) {
            const int fd = scanned.device->fd();
            if (::ioctl(fd, EVIOCGRAB, 1) == 0) {
                ::ioctl(fd, EVIOCGRAB, 0);
            } else {
                finding.grabbedByAnother = errno == EBUSY;
            }
        }
        found.push_back(std::move(finding));
    }
    return found;
}

Check touchpadCheck(const std::vector<TouchpadFinding>& found,
                    const std::vector<platform::TouchpadIdentity>& readByAgent)
{
    Check check{"Touchpads", Verdict::failed, {}, {}, true, {}};
    if (!readByAgent.empty()) {
        std::vector<std::string> names;
        for (const auto& touchpad : readByAgent) names.push_back(described(touchpad.name, touchpad.node));
        check.verdict = Verdict::passed;
        check.detail = "the agent reads ";
        for (std::size_t i = 0; i < names.size(); ++i) check.detail += (i ? ", " : "") + names[i];
        return check;
    }
    if (found.empty()) {
        check.detail = "no touchpad among the input devices";
        check.fix = "none here: `quorvel devices --all` lists every input device; connect a touchpad";
        return check;
    }
    std::vector<std::string> fixes;
    const auto addFix = [&fixes](const std::string& fix) {
        if (std::find(fixes.begin(), fixes.end(), fix) == fixes.end()) fixes.push_back(fix);
    };
    std::string readable;
    for (const TouchpadFinding& touchpad : found) {
        const std::string who = described(touchpad.name, touchpad.node);
        std::string line;
        if (touchpad.protocolAOnly) {
            line = who + " reports multitouch protocol A only, which cannot be read for corner taps";
        } else if (touchpad.openError == EACCES || touchpad.openError == EPERM) {
            line = who + " cannot be read: permission denied";
            addFix(accessFix);
        } else if (touchpad.openError != 0) {
            line = who + " cannot be read: " + std::strerror(touchpad.openError);
        } else if (touchpad.grabbedByAnother) {
            line = who + " is held by another reader for itself (the synaptics X driver does this)";
            addFix("use the libinput X driver, or set Option \"GrabEventDevice\" \"false\" in the synaptics "
                   "configuration (at once: synclient GrabEventDevice=0, then turn the touchpad off and on)");
        } else {
            readable += (readable.empty() ? "" : ", ") + who;
            continue;
        }
        check.detail += (check.detail.empty() ? "" : "\n") + line;
    }
    if (!readable.empty()) {
        check.verdict = Verdict::passed;
        check.detail = "readable: " + readable + (check.detail.empty() ? "" : "\n" + check.detail);
        check.fix.clear();
        return check;
    }
    for (const auto& fix : fixes) check.fix += (check.fix.empty() ? "" : "\n") + fix;
    if (check.fix.empty()) check.fix = "none here: no touchpad of this machine can be used";
    return check;
}

Check uinputCheck(const UinputLocations& locations, const std::vector<std::string>& alsoNeededBy)
{
    Check check{"Virtual keyboard", Verdict::failed, {}, {}, false, keyActionKinds};
    check.neededBy.insert(check.neededBy.end(), alsoNeededBy.begin(), alsoNeededBy.end());
    const std::string node = locations.node.string();
    struct stat status {};
    if (::stat(locations.node.c_str(), &status) != 0) {
        std::error_code error;
        if (fs::exists(locations.module, error)) {
            check.detail = node + " does not exist, although the uinput module is loaded";
            check.fix = "sudo udevadm trigger --subsystem-match=misc (udev makes the node)";
        } else {
            check.detail = node + " does not exist: the uinput module is not loaded";
            check.fix = "sudo modprobe uinput; to load it at every start: echo uinput | sudo tee "
                        "/etc/modules-load.d/quorvel.conf";
        }
        return check;
    }
    if (::access(locations.node.c_str(), W_OK) == 0) {
        check.verdict = Verdict::passed;
        check.detail = node + " is present and writable";
        return check;
    }
    const group* owner = ::getgrgid(status.st_gid);
    const std::string groupName = owner ? owner->gr_name : std::to_string(status.st_gid);
    check.detail = node + " is present but not writable by you (group " + groupName + ")";
    const bool ruleInstalled = std::any_of(locations.ruleFolders.begin(), locations.ruleFolders.end(),
                                           [&](const fs::path& folder) {
                                               std::error_code error;
                                               return fs::exists(folder / locations.ruleName, error);
                                           });
    if (listedInGroup(locations.groupFile, groupName, userName())) {
        check.detail += "; you were added to " + groupName + " after logging in";
        check.fix = "log out and back in";
    } else if (ruleInstalled) {
        check.detail += "; the udev rule " + locations.ruleName + " is installed";
        check.fix = "sudo udevadm trigger --subsystem-match=misc, then log out and back in (the rule gives access "
                    "to the user in front of the machine)";
    } else {
        check.fix = accessFix;
    }
    return check;
}

}  // namespace quorvel::inspection
