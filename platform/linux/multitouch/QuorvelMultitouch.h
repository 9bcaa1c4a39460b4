#pragma once

// Entry points of the multitouch bridge beyond those of a multitouch framework: what
// the last MTDeviceCreateList found but could not offer. Looked up with dlsym.
extern "C" {

// Touchpads that exist but cannot be opened for lack of permission.
int QuorvelMultitouchUnreadableDeviceCount(void);
// Touchpads that report multitouch protocol A only, which the bridge does not read.
int QuorvelMultitouchUnsupportedDeviceCount(void);

}  // extern "C"

namespace quorvel::linux_backend {

inline constexpr const char* unreadableDeviceCountName = "QuorvelMultitouchUnreadableDeviceCount";
inline constexpr const char* unsupportedDeviceCountName = "QuorvelMultitouchUnsupportedDeviceCount";

}  // namespace quorvel::linux_backend
