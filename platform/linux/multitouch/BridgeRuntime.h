#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/MultitouchFramework.h"
#include "platform/linux/multitouch/BridgeDevice.h"
#include "platform/linux/multitouch/ReaderThread.h"

namespace quorvel::linux_backend {

// What one look for touchpads found.
struct TouchpadScan {
    std::vector<std::shared_ptr<BridgeDevice>> devices;  // readable protocol-B touchpads
    int unreadableTouchpads = 0;   // touchpads that exist but cannot be opened (permission)
    int protocolAOnlyTouchpads = 0;
};

// Everything behind the bridge's C entry points: device lists with reference counts,
// callbacks, and the reader thread that runs while at least one device is started.
// All operations are thread-safe; stop and callback detaching are synchronous: once
// they return, the device's callback is not running and is not called again. The
// callback runs on the reader thread under the runtime's lock and may call back into
// the runtime (detach, stop).
class BridgeRuntime {
public:
    using TouchpadScanner = std::function<TouchpadScan()>;

    explicit BridgeRuntime(TouchpadScanner scanner);
    ~BridgeRuntime();  // ends the reader thread before the devices go
    BridgeRuntime(const BridgeRuntime&) = delete;
    BridgeRuntime& operator=(const BridgeRuntime&) = delete;

    // A fresh list. The runtime keeps one reference to the newest list and gives it up
    // when the next list is created (or the runtime ends); callers retain what they keep.
    const void* createList();
    long listCount(const void* list) const;
    const void* listValue(const void* list, long index) const;
    const void* retainList(const void* list);
    void releaseList(const void* list);

    void registerCallback(const void* device, MTContactFrameCallback callback);
    void start(const void* device);
    void stop(const void* device);

    // The name and event node of a device handed out in a list; nothing for an unknown one.
    std::optional<platform::TouchpadIdentity> identity(const void* device) const;

    int unreadableTouchpadCount() const;
    int protocolAOnlyTouchpadCount() const;
    bool readerRunning() const;

private:
    struct DeviceList {
        std::vector<std::shared_ptr<BridgeDevice>> devices;
        long references = 0;
    };

    DeviceList* findList(const void* list) const;
    std::shared_ptr<BridgeDevice> findDevice(const void* device) const;
    void dropReference(DeviceList* list);

    mutable std::recursive_mutex lock_;
    TouchpadScanner scanner_;
    std::vector<std::unique_ptr<DeviceList>> lists_;
    DeviceList* newestList_ = nullptr;  // holds the runtime's own reference
    std::unique_ptr<ReaderThread> reader_;
    std::vector<std::unique_ptr<ReaderThread>> retired_;  // ended from their own thread
    int unreadableTouchpads_ = 0;
    int protocolAOnlyTouchpads_ = 0;
};

}  // namespace quorvel::linux_backend
