#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "platform/MultitouchFramework.h"

namespace quorvel::linux_backend {

// The multitouch framework of the Linux agent: the project's multitouch bridge,
// installed at a fixed place relative to the agent's executable.
class LinuxMultitouchFramework final : public platform::MultitouchFramework {
public:
    // The bridge relative to the directory of the running executable.
    LinuxMultitouchFramework();
    // The bridge relative to `executableDirectory` (for tools and tests).
    explicit LinuxMultitouchFramework(std::filesystem::path executableDirectory);

    std::string libraryPath() const override;
    platform::DeviceListAccess deviceListAccess(void* libraryHandle) const override;
    // Touchpads the bridge could not open or does not support, else where to look.
    std::optional<platform::NoDeviceHint> noDeviceHint(void* libraryHandle) const override;
    // The device's name and event node, from a bridge that tells them.
    std::optional<platform::TouchpadIdentity> touchpadIdentity(void* libraryHandle, const void* device) const override;

private:
    std::filesystem::path executableDirectory_;
};

// Touchpads that the last device list left out because they cannot be opened for lack
// of permission; absent when the loaded library does not tell.
std::optional<int> unreadableTouchpadCount(void* libraryHandle);

// The directory of the running executable (empty when it cannot be found).
std::filesystem::path runningExecutableDirectory();

}  // namespace quorvel::linux_backend
