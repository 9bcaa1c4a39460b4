#pragma once

#include <string>

namespace quorvel::platform {

// Accessors of the opaque device list that "MTDeviceCreateList" returns.
struct DeviceListAccess {
    long (*count)(const void* list) = nullptr;
    const void* (*valueAtIndex)(const void* list, long index) = nullptr;
    const void* (*retain)(const void* list) = nullptr;
    void (*release)(const void* list) = nullptr;
};

// Where the multitouch framework lives and how its device list is read.
class MultitouchFramework {
public:
    virtual ~MultitouchFramework() = default;
    // The library file to dlopen.
    virtual std::string libraryPath() const = 0;
    // The list accessors for a loaded library; a member left null means the
    // library lacks that accessor.
    virtual DeviceListAccess deviceListAccess(void* libraryHandle) const = 0;
};

}  // namespace quorvel::platform
