#include "platform/linux/LinuxMultitouchFramework.h"

#include <dlfcn.h>

#include <array>
#include <climits>
#include <string>
#include <system_error>
#include <utility>

#include "platform/linux/multitouch/QuorvelMultitouch.h"

namespace quorvel::linux_backend {

namespace {

template <typename Function>
Function lookUp(void* handle, const char* name)
{
    // dlsym hands out object pointers; this is how POSIX asks for them to be converted.
    return reinterpret_cast<Function>(::dlsym(handle, name));
}

}  // namespace

std::filesystem::path runningExecutableDirectory()
{
    std::error_code error;
    const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return {};
    return executable.parent_path();
}

LinuxMultitouchFramework::LinuxMultitouchFramework() : LinuxMultitouchFramework(runningExecutableDirectory()) {}

LinuxMultitouchFramework::LinuxMultitouchFramework(std::filesystem::path executableDirectory)
    : executableDirectory_(std::move(executableDirectory))
{
}

std::string LinuxMultitouchFramework::libraryPath() const
{
    return (executableDirectory_ / QUORVEL_BRIDGE_RELATIVE_PATH).lexically_normal().string();
}

platform::DeviceListAccess LinuxMultitouchFramework::deviceListAccess(void* libraryHandle) const
{
    namespace names = platform::multitouch;
    platform::DeviceListAccess access;
    if (libraryHandle == nullptr) return access;
    access.count = lookUp<decltype(access.count)>(libraryHandle, names::deviceListGetCountName);
    access.valueAtIndex = lookUp<decltype(access.valueAtIndex)>(libraryHandle, names::deviceListGetValueAtIndexName);
    access.retain = lookUp<decltype(access.retain)>(libraryHandle, names::deviceListRetainName);
    access.release = lookUp<decltype(access.release)>(libraryHandle, names::deviceListReleaseName);
    return access;
}

std::optional<platform::NoDeviceHint> LinuxMultitouchFramework::noDeviceHint(void* libraryHandle) const
{
    if (const auto unreadable = unreadableTouchpadCount(libraryHandle); unreadable && *unreadable > 0) {
        return platform::NoDeviceHint{
            true, "Touchpads found but not readable: " + std::to_string(*unreadable) +
                      " device(s); grant read access (see the udev rule shipped with Quorvel and packaging/README.md), "
                      "then run `quorvel devices` to check"};
    }
    const auto unsupported =
        libraryHandle == nullptr
            ? nullptr
            : lookUp<decltype(&QuorvelMultitouchUnsupportedDeviceCount)>(libraryHandle, unsupportedDeviceCountName);
    if (unsupported != nullptr && unsupported() > 0) {
        return platform::NoDeviceHint{true, std::to_string(unsupported()) +
                                                " touchpad(s) report multitouch protocol A only, which is not "
                                                "supported; run `quorvel devices` for details"};
    }
    return platform::NoDeviceHint{false, "Run `quorvel devices` to see the input devices and whether the agent can "
                                         "read them"};
}

std::optional<platform::TouchpadIdentity> LinuxMultitouchFramework::touchpadIdentity(void* libraryHandle,
                                                                                    const void* device) const
{
    if (libraryHandle == nullptr) return std::nullopt;
    const auto identify = lookUp<decltype(&QuorvelMultitouchDeviceIdentity)>(libraryHandle, deviceIdentityName);
    if (identify == nullptr) return std::nullopt;
    std::array<char, 256> name{};
    std::array<char, PATH_MAX> node{};
    if (identify(device, name.data(), name.size(), node.data(), node.size()) != 0) return std::nullopt;
    return platform::TouchpadIdentity{name.data(), node.data()};
}

std::optional<int> unreadableTouchpadCount(void* libraryHandle)
{
    if (libraryHandle == nullptr) return std::nullopt;
    const auto count = lookUp<decltype(&QuorvelMultitouchUnreadableDeviceCount)>(libraryHandle, unreadableDeviceCountName);
    if (count == nullptr) return std::nullopt;
    return count();
}

}  // namespace quorvel::linux_backend
