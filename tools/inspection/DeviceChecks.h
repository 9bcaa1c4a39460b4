#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "platform/MultitouchFramework.h"
#include "platform/linux/multitouch/InputDeviceScan.h"
#include "tools/inspection/DoctorCheck.h"

namespace quorvel::inspection {

// A touchpad the bridge's scan found, and whether the agent could read it.
struct TouchpadFinding {
    std::string node;
    std::string name;
    bool protocolAOnly = false;
    int openError = 0;              // errno of a failed open; 0 when it opened
    bool grabbedByAnother = false;  // another reader holds it for itself (the synaptics X driver)

    friend bool operator==(const TouchpadFinding&, const TouchpadFinding&) = default;
};

// The touchpads among the event nodes, through the bridge's own scan. Each that opens is
// grabbed for an instant to learn whether another reader holds it, and released at once.
std::vector<TouchpadFinding> findTouchpads(const linux_backend::ScanLocations& locations = {});

// Passed when the agent reads a touchpad (`readByAgent`, from its published state) or one can
// be read; else why none can.
Check touchpadCheck(const std::vector<TouchpadFinding>& found,
                    const std::vector<platform::TouchpadIdentity>& readByAgent);

// Where the virtual keyboard comes from and who may use it.
struct UinputLocations {
    std::filesystem::path node = "/dev/uinput";
    std::filesystem::path module = "/sys/module/uinput";
    std::vector<std::filesystem::path> ruleFolders = {"/etc/udev/rules.d", "/run/udev/rules.d",
                                                      "/usr/lib/udev/rules.d", "/lib/udev/rules.d"};
    std::string ruleName = "70-quorvel.rules";
    std::filesystem::path groupFile = "/etc/group";
};

// /dev/uinput present and writable; if not, why (the module, the udev rule, the group).
// `alsoNeededBy` adds action kinds that press keys on this desktop (nextInputSource on GNOME).
Check uinputCheck(const UinputLocations& locations, const std::vector<std::string>& alsoNeededBy = {});

}  // namespace quorvel::inspection
