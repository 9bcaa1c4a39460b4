// The bridge as the agent meets it: a library beside the executable, loaded with dlopen.
#include <gtest/gtest.h>
#include <dlfcn.h>

#include <filesystem>
#include <memory>

#include "platform/linux/LinuxMultitouchFramework.h"
#include "platform/linux/multitouch/QuorvelMultitouch.h"

namespace quorvel::linux_backend {
namespace {

namespace names = platform::multitouch;

TEST(BridgeLibrary, LiesWhereTheAgentLooksAndExportsTheEntryPointsAndListAccessors)
{
    const std::filesystem::path path = LinuxMultitouchFramework().libraryPath();
    EXPECT_TRUE(path.is_absolute());
    EXPECT_EQ(path.filename(), "libquorvel-multitouch.so");
    EXPECT_EQ(LinuxMultitouchFramework("/opt/q/bin").libraryPath(),
              (std::filesystem::path("/opt/q/bin") / QUORVEL_BRIDGE_RELATIVE_PATH).lexically_normal().string());

    const std::unique_ptr<void, int (*)(void*)> bridge(::dlopen(path.c_str(), RTLD_NOW), ::dlclose);
    ASSERT_TRUE(bridge) << ::dlerror();
    for (const char* name : {names::deviceCreateListName, names::registerContactFrameCallbackName, names::deviceStartName,
                             names::deviceStopName, unreadableDeviceCountName, unsupportedDeviceCountName}) {
        EXPECT_NE(::dlsym(bridge.get(), name), nullptr) << name;
    }
    const auto access = LinuxMultitouchFramework().deviceListAccess(bridge.get());
    ASSERT_TRUE(access.count && access.valueAtIndex && access.retain && access.release);
    EXPECT_NE(unreadableTouchpadCount(bridge.get()), std::nullopt);

    const auto createList = reinterpret_cast<names::DeviceCreateListFunction>(::dlsym(bridge.get(), names::deviceCreateListName));
    ASSERT_NE(createList, nullptr);
    const void* list = createList();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(access.retain(list), list);
    EXPECT_GE(access.count(list), 0);
    EXPECT_EQ(access.valueAtIndex(list, access.count(list)), nullptr);
    access.release(list);
}

}  // namespace
}  // namespace quorvel::linux_backend
