#pragma once

#include <cstddef>

// Entry points of the multitouch bridge beyond those of a multitouch framework: what
// the last MTDeviceCreateList found but could not offer, and which device is which.
// Looked up with dlsym.
extern "C" {

// Touchpads that exist but cannot be opened for lack of permission.
int QuorvelMultitouchUnreadableDeviceCount(void);
// Touchpads that report multitouch protocol A only, which the bridge does not read.
int QuorvelMultitouchUnsupportedDeviceCount(void);
// Writes the name a device of a list reports and its event node into the buffers, each
// NUL-terminated and cut to fit (at a byte; the caller repairs a cut character). Returns 0,
// or -1 for a device the bridge does not know.
int QuorvelMultitouchDeviceIdentity(const void* device, char* name, std::size_t nameSize, char* node,
                                    std::size_t nodeSize);

}  // extern "C"

namespace quorvel::linux_backend {

inline constexpr const char* unreadableDeviceCountName = "QuorvelMultitouchUnreadableDeviceCount";
inline constexpr const char* unsupportedDeviceCountName = "QuorvelMultitouchUnsupportedDeviceCount";
inline constexpr const char* deviceIdentityName = "QuorvelMultitouchDeviceIdentity";

}  // namespace quorvel::linux_backend
