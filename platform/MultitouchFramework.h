#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

// The C interface of a multitouch framework library, as the agent looks it up with
// dlsym. The agent never links against these symbols; a library that provides the
// framework (the project's multitouch bridge, the test frameworks) includes this
// header so that its definitions are checked against the same signatures.
extern "C" {

// Called by the framework on a thread of its own, once per device frame. `touches`
// points at `count` raw touch records of 80 bytes each (or is null). Returns 0.
typedef int (*MTContactFrameCallback)(std::int32_t device, const void* touches, std::int32_t count,
                                      double timestamp, std::int32_t frame);

// The device list; the list belongs to the library (the caller takes its own
// reference with MTDeviceListRetain if it keeps the list).
const void* MTDeviceCreateList(void);
// Attaches `callback` to `device`; a null callback detaches the earlier one.
void MTRegisterContactFrameCallback(const void* device, MTContactFrameCallback callback);
void MTDeviceStart(const void* device, std::int32_t mode);
void MTDeviceStop(const void* device);

// Accessors of the opaque device list.
long MTDeviceListGetCount(const void* list);
const void* MTDeviceListGetValueAtIndex(const void* list, long index);
const void* MTDeviceListRetain(const void* list);
void MTDeviceListRelease(const void* list);

}  // extern "C"

namespace quorvel::platform {

namespace multitouch {

// Entry point names, in the order the agent looks them up.
inline constexpr const char* deviceCreateListName = "MTDeviceCreateList";
inline constexpr const char* registerContactFrameCallbackName = "MTRegisterContactFrameCallback";
inline constexpr const char* deviceStartName = "MTDeviceStart";
inline constexpr const char* deviceStopName = "MTDeviceStop";

// Device-list accessor names.
inline constexpr const char* deviceListGetCountName = "MTDeviceListGetCount";
inline constexpr const char* deviceListGetValueAtIndexName = "MTDeviceListGetValueAtIndex";
inline constexpr const char* deviceListRetainName = "MTDeviceListRetain";
inline constexpr const char* deviceListReleaseName = "MTDeviceListRelease";

using DeviceCreateListFunction = decltype(&MTDeviceCreateList);
using RegisterContactFrameCallbackFunction = decltype(&MTRegisterContactFrameCallback);
using DeviceStartFunction = decltype(&MTDeviceStart);
using DeviceStopFunction = decltype(&MTDeviceStop);

// Layout of one raw touch record (little-endian; the other bytes are not read).
inline constexpr std::size_t rawTouchRecordSize = 80;
inline constexpr std::size_t identifierOffset = 16;  // int32
inline constexpr std::size_t stateOffset = 20;       // int32
inline constexpr std::size_t xOffset = 32;           // float32
inline constexpr std::size_t yOffset = 36;           // float32
inline constexpr std::size_t sizeOffset = 40;        // float32

}  // namespace multitouch

// Accessors of the opaque device list that "MTDeviceCreateList" returns.
struct DeviceListAccess {
    decltype(&MTDeviceListGetCount) count = nullptr;
    decltype(&MTDeviceListGetValueAtIndex) valueAtIndex = nullptr;
    decltype(&MTDeviceListRetain) retain = nullptr;
    decltype(&MTDeviceListRelease) release = nullptr;
};

// What a person can do when a loaded framework lists no device, and how urgent it is.
struct NoDeviceHint {
    bool isError = false;  // something is known to be wrong (not merely absent)
    std::string text;

    friend bool operator==(const NoDeviceHint&, const NoDeviceHint&) = default;
};

// A bound device as a person knows it: the name it reports and where the system lists it.
struct TouchpadIdentity {
    std::string name;
    std::string node;  // e.g. /dev/input/event5; empty when the framework does not say

    friend bool operator==(const TouchpadIdentity&, const TouchpadIdentity&) = default;
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
    // A hint to log after "No multitouch devices found", asked while the library is still
    // loaded; none by default.
    virtual std::optional<NoDeviceHint> noDeviceHint(void* /*libraryHandle*/) const { return std::nullopt; }
    // What a device of the current list is, asked while the library is loaded; none when
    // the library does not tell.
    virtual std::optional<TouchpadIdentity> touchpadIdentity(void* /*libraryHandle*/, const void* /*device*/) const
    {
        return std::nullopt;
    }
};

}  // namespace quorvel::platform
