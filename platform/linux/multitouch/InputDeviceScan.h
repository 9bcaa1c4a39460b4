#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/linux/multitouch/DeviceDescription.h"
#include "platform/linux/multitouch/EvdevDevice.h"
#include "platform/linux/multitouch/TouchpadClassification.h"

namespace quorvel::linux_backend {

// One event node and what could be learnt about it.
struct ScannedDevice {
    std::string path;      // e.g. /dev/input/event5
    int eventNumber = 0;   // the 5 of event5
    std::optional<DeviceDescription> description;  // from the device, else from sysfs
    std::optional<DeviceKind> kind;                // absent when nothing could be learnt
    int openError = 0;                             // errno of a failed open, 0 when open
    std::unique_ptr<EvdevDevice> device;           // the open device when it could be read

    bool permissionDenied() const;
};

struct ScanLocations {
    std::filesystem::path devices = "/dev/input";
    std::filesystem::path sysfs = "/sys/class/input";
};

// Opens and describes every event node, in event-number order. Nodes that cannot be
// opened are described from sysfs where possible.
std::vector<ScannedDevice> scanInputDevices(const ScanLocations& locations = {});

}  // namespace quorvel::linux_backend
