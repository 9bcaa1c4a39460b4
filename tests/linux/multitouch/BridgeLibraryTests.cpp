// The bridge as the agent meets it: a library at a fixed place beside the executable,
// loaded with dlopen, exporting the framework's entry points.
#include <gtest/gtest.h>
#include <dlfcn.h>
#include <libevdev/libevdev-uinput.h>
#include <libevdev/libevdev.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <tuple>
#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/linux/LinuxMultitouchFramework.h"
#include "platform/linux/multitouch/QuorvelMultitouch.h"

namespace quorvel::linux_backend {
namespace {

namespace names = platform::multitouch;

struct CloseLibrary {
    void operator()(void* handle) const { ::dlclose(handle); }
};
using Library = std::unique_ptr<void, CloseLibrary>;

Library loadBridge()
{
    return Library(::dlopen(LinuxMultitouchFramework().libraryPath().c_str(), RTLD_NOW));
}

template <typename Function>
Function entry(const Library& library, const char* name)
{
    return reinterpret_cast<Function>(::dlsym(library.get(), name));
}

TEST(BridgeLibrary, LiesWhereTheAgentLooksForIt)
{
    const std::filesystem::path expected = LinuxMultitouchFramework().libraryPath();
    EXPECT_TRUE(expected.is_absolute());
    EXPECT_EQ(expected.filename(), "libquorvel-multitouch.so");
    EXPECT_TRUE(std::filesystem::exists(expected)) << expected;
    EXPECT_EQ(LinuxMultitouchFramework("/opt/q/bin").libraryPath(),
              (std::filesystem::path("/opt/q/bin") / QUORVEL_BRIDGE_RELATIVE_PATH).lexically_normal().string());
}

TEST(BridgeLibrary, ExportsEveryEntryPointAndListAccessor)
{
    const Library bridge = loadBridge();
    ASSERT_TRUE(bridge) << ::dlerror();
    for (const char* name : {names::deviceCreateListName, names::registerContactFrameCallbackName,
                             names::deviceStartName, names::deviceStopName, unreadableDeviceCountName,
                             unsupportedDeviceCountName}) {
        EXPECT_NE(::dlsym(bridge.get(), name), nullptr) << name;
    }
    const auto access = LinuxMultitouchFramework().deviceListAccess(bridge.get());
    ASSERT_TRUE(access.count && access.valueAtIndex && access.retain && access.release);
    EXPECT_NE(unreadableTouchpadCount(bridge.get()), std::nullopt);

    const auto createList = entry<names::DeviceCreateListFunction>(bridge, names::deviceCreateListName);
    const void* list = createList();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(access.retain(list), list);
    const long count = access.count(list);
    EXPECT_GE(count, 0);
    EXPECT_EQ(access.valueAtIndex(list, count), nullptr);
    access.release(list);
    if (!std::filesystem::exists("/dev/input")) {
        EXPECT_EQ(count, 0);
    }
}

// --- A live virtual touchpad (needs /dev/uinput and the right to use it) ---------------

struct LiveFrames {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::int32_t> devices;
};
LiveFrames liveFrames;

int recordLiveFrame(std::int32_t device, const void*, std::int32_t, double, std::int32_t)
{
    {
        std::lock_guard lock(liveFrames.mutex);
        liveFrames.devices.push_back(device);
    }
    liveFrames.changed.notify_all();
    return 0;
}

struct FreeUinput {
    void operator()(libevdev_uinput* device) const { libevdev_uinput_destroy(device); }
};
struct FreeEvdev {
    void operator()(libevdev* device) const { libevdev_free(device); }
};

TEST(BridgeLibrary, ReadsAVirtualTouchpad)
{
    if (!std::filesystem::exists("/dev/uinput")) GTEST_SKIP() << "/dev/uinput is absent: no virtual touchpad can be made";
    std::unique_ptr<libevdev, FreeEvdev> description(libevdev_new());
    libevdev_set_name(description.get(), "Quorvel test touchpad");
    input_absinfo position{0, 0, 1000, 0, 0, 10};
    input_absinfo slots{0, 0, 4, 0, 0, 0};
    input_absinfo tracking{0, 0, 65535, 0, 0, 0};
    libevdev_enable_event_code(description.get(), EV_ABS, ABS_X, &position);
    libevdev_enable_event_code(description.get(), EV_ABS, ABS_Y, &position);
    libevdev_enable_event_code(description.get(), EV_ABS, ABS_MT_SLOT, &slots);
    libevdev_enable_event_code(description.get(), EV_ABS, ABS_MT_TRACKING_ID, &tracking);
    libevdev_enable_event_code(description.get(), EV_ABS, ABS_MT_POSITION_X, &position);
    libevdev_enable_event_code(description.get(), EV_ABS, ABS_MT_POSITION_Y, &position);
    for (unsigned key : {BTN_LEFT, BTN_TOUCH, BTN_TOOL_FINGER}) {
        libevdev_enable_event_code(description.get(), EV_KEY, key, nullptr);
    }
    libevdev_enable_property(description.get(), INPUT_PROP_BUTTONPAD);
    libevdev_uinput* created = nullptr;
    const int rc = libevdev_uinput_create_from_device(description.get(), LIBEVDEV_UINPUT_OPEN_MANAGED, &created);
    if (rc < 0) GTEST_SKIP() << "cannot create a virtual touchpad: " << std::strerror(-rc);
    std::unique_ptr<libevdev_uinput, FreeUinput> pad(created);
    const std::string node = libevdev_uinput_get_devnode(pad.get());
    const int eventNumber = std::stoi(node.substr(node.rfind("event") + 5));

    const Library bridge = loadBridge();
    ASSERT_TRUE(bridge);
    const auto access = LinuxMultitouchFramework().deviceListAccess(bridge.get());
    const auto createList = entry<names::DeviceCreateListFunction>(bridge, names::deviceCreateListName);
    const auto registerCallback =
        entry<names::RegisterContactFrameCallbackFunction>(bridge, names::registerContactFrameCallbackName);
    const auto start = entry<names::DeviceStartFunction>(bridge, names::deviceStartName);
    const auto stop = entry<names::DeviceStopFunction>(bridge, names::deviceStopName);
    const void* list = access.retain(createList());
    for (long i = 0; i < access.count(list); ++i) {
        registerCallback(access.valueAtIndex(list, i), recordLiveFrame);
        start(access.valueAtIndex(list, i), 0);
    }
    for (const auto& [type, code, value] : std::vector<std::tuple<unsigned, unsigned, int>>{
             {EV_ABS, ABS_MT_SLOT, 0}, {EV_ABS, ABS_MT_TRACKING_ID, 1}, {EV_ABS, ABS_MT_POSITION_X, 100},
             {EV_ABS, ABS_MT_POSITION_Y, 900}, {EV_KEY, BTN_TOUCH, 1}, {EV_KEY, BTN_TOOL_FINGER, 1},
             {EV_SYN, SYN_REPORT, 0}}) {
        libevdev_uinput_write_event(pad.get(), type, code, value);
    }
    {
        std::unique_lock lock(liveFrames.mutex);
        EXPECT_TRUE(liveFrames.changed.wait_for(lock, std::chrono::seconds(10), [&] {
            return std::find(liveFrames.devices.begin(), liveFrames.devices.end(), eventNumber) != liveFrames.devices.end();
        }));
    }
    for (long i = 0; i < access.count(list); ++i) {
        registerCallback(access.valueAtIndex(list, i), nullptr);
        stop(access.valueAtIndex(list, i));
    }
    access.release(list);
}

}  // namespace
}  // namespace quorvel::linux_backend
