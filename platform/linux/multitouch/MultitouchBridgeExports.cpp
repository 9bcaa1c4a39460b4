// The C entry points of the bridge. Every other symbol of the library is hidden.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <string>

#pragma GCC visibility push(default)
#include "platform/MultitouchFramework.h"
#include "platform/linux/multitouch/QuorvelMultitouch.h"
#pragma GCC visibility pop

#include "platform/linux/multitouch/BridgeRuntime.h"
#include "platform/linux/multitouch/SystemTouchpads.h"

namespace {

using quorvel::linux_backend::BridgeRuntime;

// The bridge's one process-wide state: the C interface carries no context. Destroyed
// when the library is unloaded, which ends the reader thread first.
BridgeRuntime& runtime()
{
    static BridgeRuntime instance([] { return quorvel::linux_backend::scanSystemTouchpads(); });
    return instance;
}

// No exception may cross into the C caller.
template <typename Result, typename Operation>
Result guarded(Result fallback, Operation operation) noexcept
{
    try {
        return operation();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "quorvel-multitouch: %s\n", error.what());
    } catch (...) {
        std::fprintf(stderr, "quorvel-multitouch: unexpected failure\n");
    }
    return fallback;
}

template <typename Operation>
void guarded(Operation operation) noexcept
{
    guarded(0, [&] {
        operation();
        return 0;
    });
}

}  // namespace

extern "C" {

const void* MTDeviceCreateList(void)
{
    return guarded<const void*>(nullptr, [] { return runtime().createList(); });
}

void MTRegisterContactFrameCallback(const void* device, MTContactFrameCallback callback)
{
    guarded([&] { runtime().registerCallback(device, callback); });
}

void MTDeviceStart(const void* device, std::int32_t /*mode*/)
{
    guarded([&] { runtime().start(device); });
}

void MTDeviceStop(const void* device)
{
    guarded([&] { runtime().stop(device); });
}

long MTDeviceListGetCount(const void* list)
{
    return guarded(0L, [&] { return runtime().listCount(list); });
}

const void* MTDeviceListGetValueAtIndex(const void* list, long index)
{
    return guarded<const void*>(nullptr, [&] { return runtime().listValue(list, index); });
}

const void* MTDeviceListRetain(const void* list)
{
    return guarded<const void*>(nullptr, [&] { return runtime().retainList(list); });
}

void MTDeviceListRelease(const void* list)
{
    guarded([&] { runtime().releaseList(list); });
}

int QuorvelMultitouchUnreadableDeviceCount(void)
{
    return guarded(0, [] { return runtime().unreadableTouchpadCount(); });
}

int QuorvelMultitouchUnsupportedDeviceCount(void)
{
    return guarded(0, [] { return runtime().protocolAOnlyTouchpadCount(); });
}

int QuorvelMultitouchDeviceIdentity(const void* device, char* name, std::size_t nameSize, char* node,
                                    std::size_t nodeSize)
{
    return guarded(-1, [&] {
        const auto identity = runtime().identity(device);
        if (!identity) return -1;
        if (nameSize > 0) std::snprintf(name, nameSize, "%s", identity->name.c_str());
        if (nodeSize > 0) std::snprintf(node, nodeSize, "%s", identity->node.c_str());
        return 0;
    });
}

}  // extern "C"
