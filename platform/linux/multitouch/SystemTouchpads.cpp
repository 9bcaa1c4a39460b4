#include "platform/linux/multitouch/SystemTouchpads.h"

#include <cstdio>
#include <cstring>

#include "platform/linux/multitouch/EvdevEventSource.h"

namespace quorvel::linux_backend {

namespace {

std::shared_ptr<BridgeDevice> bridgeDeviceFor(ScannedDevice& scanned)
{
    MultitouchDecoder decoder(touchpadAxes(*scanned.description));
    for (const SlotSeed& seed : scanned.device->slotSeeds()) decoder.seed(seed);
    decoder.seedCurrentSlot(scanned.device->currentSlot());
    auto source = std::make_unique<EvdevEventSource>(std::move(*scanned.device));
    scanned.device.reset();
    return std::make_shared<BridgeDevice>(scanned.eventNumber, std::move(source), std::move(decoder),
                                          scanned.description->name, scanned.path);
}

}  // namespace

TouchpadScan scanSystemTouchpads(const ScanLocations& locations)
{
    TouchpadScan scan;
    for (ScannedDevice& scanned : scanInputDevices(locations)) {
        if (!scanned.kind) continue;
        const char* name = scanned.description->name.c_str();
        if (*scanned.kind == DeviceKind::protocolAOnly) {
            ++scan.protocolAOnlyTouchpads;
            std::fprintf(stderr, "quorvel-multitouch: %s (%s) reports multitouch protocol A only; not supported\n",
                         scanned.path.c_str(), name);
            continue;
        }
        if (*scanned.kind != DeviceKind::touchpad) continue;
        if (!scanned.device) {
            if (scanned.permissionDenied()) ++scan.unreadableTouchpads;
            std::fprintf(stderr, "quorvel-multitouch: touchpad %s (%s) cannot be read: %s\n", scanned.path.c_str(),
                         name, std::strerror(scanned.openError));
            continue;
        }
        scan.devices.push_back(bridgeDeviceFor(scanned));
    }
    return scan;
}

}  // namespace quorvel::linux_backend
