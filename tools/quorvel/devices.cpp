// `quorvel devices`: the input devices that look like touchpads, and whether the
// agent's multitouch bridge can read each of them.
#include <linux/input-event-codes.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/PrintableText.h"
#include "platform/linux/multitouch/InputDeviceScan.h"
#include "platform/linux/multitouch/TouchpadClassification.h"
#include "tools/CommandLine.h"
#include "tools/quorvel/Command.h"

namespace quorvel::tool {

namespace {

using linux_backend::DeviceKind;
using linux_backend::ScannedDevice;

constexpr const char* usage =
    "Usage: quorvel devices [--all]\n"
    "\n"
    "Lists the input devices that look like touchpads, with their axis ranges, and whether\n"
    "the agent can read each of them (and if not, why). --all lists every input device.\n"
    "Exits 0, or 2 for a wrong argument.\n";

void printAxis(const char* label, const linux_backend::DeviceDescription& description, unsigned code)
{
    const auto axis = description.axis(code);
    if (!axis) {
        std::printf("    %s: not reported\n", label);
        return;
    }
    std::printf("    %s: %d..%d", label, axis->minimum, axis->maximum);
    if (axis->resolution > 0) {
        const double millimetres = (static_cast<double>(axis->maximum) - axis->minimum) / axis->resolution;
        std::printf(", %d units/mm (%.0f mm)", axis->resolution, millimetres);
    } else {
        std::printf(", resolution unknown");
    }
    std::printf("\n");
}

void printVerdict(const ScannedDevice& device)
{
    if (!device.kind) {
        std::printf("    readable: no (%s); nothing known about the device\n", std::strerror(device.openError));
        return;
    }
    if (device.openError != 0) {
        std::printf("    readable: no (%s%s)\n", std::strerror(device.openError),
                    device.permissionDenied() ? "; the user needs read access to the device, e.g. through the "
                                                "'input' group or a udev rule"
                                              : "");
        std::printf("    kind: %s\n", std::string(linux_backend::describeDeviceKind(*device.kind)).c_str());
        return;
    }
    if (*device.kind == DeviceKind::touchpad) {
        std::printf("    readable: yes, used by the agent\n");
    } else {
        std::printf("    readable: yes, not used: %s\n",
                    std::string(linux_backend::describeDeviceKind(*device.kind)).c_str());
    }
}

void printDevice(const ScannedDevice& device)
{
    // A device names itself: what it says reaches the terminal only escaped.
    const std::string name =
        device.description ? platform::escapedForDisplay(device.description->name) : std::string("(unknown)");
    std::printf("%s: %s\n", device.path.c_str(), name.c_str());
    if (device.description && device.openError == 0) {
        const auto& description = *device.description;
        printAxis("x", description, ABS_MT_POSITION_X);
        printAxis("y", description, ABS_MT_POSITION_Y);
        if (const auto slots = description.axis(ABS_MT_SLOT); slots && description.hasEventCode(EV_ABS, ABS_MT_SLOT)) {
            std::printf("    slots: %d\n", slots->maximum - slots->minimum + 1);
        }
        if (description.hasProperty(INPUT_PROP_SEMI_MT)) {
            std::printf("    semi-multitouch: positions of two or more fingers are a bounding box\n");
        }
    } else if (device.description) {
        std::printf("    axis ranges: unknown until the device can be opened\n");
    }
    printVerdict(device);
}

}  // namespace

int runDevices(const std::vector<std::string>& arguments)
{
    if (const auto answered = answerHelpOrVersion(arguments, "quorvel", usage)) return *answered;
    bool all = false;
    for (const std::string& argument : arguments) {
        if (argument != "--all") {
            std::fprintf(stderr, "quorvel devices: unknown argument '%s'\n\n%s",
                         platform::escapedForDisplay(argument).c_str(), usage);
            return exitUsage;
        }
        all = true;
    }
    const auto devices = linux_backend::scanInputDevices();
    int listed = 0;
    for (const ScannedDevice& device : devices) {
        const bool touchLike = device.description && linux_backend::looksTouchCapable(*device.description);
        if (!all && !touchLike) continue;
        if (listed++ > 0) std::printf("\n");
        printDevice(device);
    }
    if (listed == 0) {
        std::printf("No %sinput devices found in /dev/input (%zu event devices in all).\n",
                    all ? "" : "touchpad-like ", devices.size());
    }
    return exitSuccess;
}

}  // namespace quorvel::tool
