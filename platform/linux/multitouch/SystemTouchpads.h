#pragma once

#include "platform/linux/multitouch/BridgeRuntime.h"
#include "platform/linux/multitouch/InputDeviceScan.h"

namespace quorvel::linux_backend {

// Looks through the event nodes for touchpads the bridge can read, and notes on
// stderr those it cannot (no permission, or protocol A only).
TouchpadScan scanSystemTouchpads(const ScanLocations& locations = {});

}  // namespace quorvel::linux_backend
