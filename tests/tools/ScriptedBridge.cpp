// A multitouch framework library standing in for the bridge beside installed copies of the
// tool and the agent. Its environment says what it offers:
//   QUORVEL_TEST_BRIDGE_DEVICES     "0": an empty device list (otherwise one device)
//   QUORVEL_TEST_BRIDGE_UNREADABLE  how many touchpads it could not open (default 0)
// The device, once started, plays one script from a thread of its own: a touch held in the
// top-left corner for 0.75 s while it drifts 0.05 to the right, a touch in the middle, then
// three quick taps in the top-left corner (ends 3.05, 3.20, 3.35 in frame time).
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/MultitouchFramework.h"
#include "platform/linux/multitouch/QuorvelMultitouch.h"

namespace {

namespace mt = quorvel::platform::multitouch;

struct Contact {
    std::int32_t identifier;
    float x, y;
};

struct Frame {
    double timestamp;
    std::vector<Contact> contacts;
};

std::vector<Frame> script()
{
    std::vector<Frame> frames;
    for (int step = 0; step < 6; ++step) {
        frames.push_back({1.0 + 0.125 * step, {{1, 0.10f + 0.01f * static_cast<float>(step), 0.9f}}});
    }
    frames.push_back({1.75, {}});
    frames.push_back({2.0, {{2, 0.5f, 0.5f}}});
    frames.push_back({2.1, {}});
    const double tapStarts[] = {3.0, 3.15, 3.3};
    for (int tap = 0; tap < 3; ++tap) {
        frames.push_back({tapStarts[tap], {{3 + tap, 0.1f, 0.9f}}});
        frames.push_back({tapStarts[tap] + 0.05, {}});
    }
    return frames;
}

class Touchpad {
public:
    ~Touchpad() { stop(); }

    void registerCallback(MTContactFrameCallback callback)
    {
        std::lock_guard lock(mutex_);
        callback_ = callback;
    }

    void start()
    {
        if (player_.joinable()) return;
        player_ = std::thread([this] {
            std::int32_t number = 0;
            for (const Frame& frame : script()) send(frame, ++number);
        });
    }

    void stop()
    {
        if (player_.joinable()) player_.join();
    }

    const void* list() const
    {
        const char* devices = std::getenv("QUORVEL_TEST_BRIDGE_DEVICES");
        return devices != nullptr && std::strcmp(devices, "0") == 0 ? &empty_ : &one_;
    }

private:
    void send(const Frame& frame, std::int32_t number)
    {
        std::vector<unsigned char> buffer(mt::rawTouchRecordSize * frame.contacts.size() + 1, 0);
        for (std::size_t k = 0; k < frame.contacts.size(); ++k) {
            unsigned char* record = buffer.data() + k * mt::rawTouchRecordSize;
            const std::int32_t state = 1;
            const float size = 1.0f;
            std::memcpy(record + mt::identifierOffset, &frame.contacts[k].identifier, 4);
            std::memcpy(record + mt::stateOffset, &state, 4);
            std::memcpy(record + mt::xOffset, &frame.contacts[k].x, 4);
            std::memcpy(record + mt::yOffset, &frame.contacts[k].y, 4);
            std::memcpy(record + mt::sizeOffset, &size, 4);
        }
        std::lock_guard lock(mutex_);
        if (callback_ != nullptr) {
            callback_(1, buffer.data(), static_cast<std::int32_t>(frame.contacts.size()), frame.timestamp, number);
        }
    }

    std::mutex mutex_;
    MTContactFrameCallback callback_ = nullptr;
    std::thread player_;
    std::int32_t device_ = 1;
    std::vector<const void*> one_{&device_};
    std::vector<const void*> empty_;
};

Touchpad& touchpad()
{
    static Touchpad instance;
    return instance;
}

const std::vector<const void*>& devicesOf(const void* list) { return *static_cast<const std::vector<const void*>*>(list); }

}  // namespace

extern "C" {

const void* MTDeviceCreateList(void) { return touchpad().list(); }

void MTRegisterContactFrameCallback(const void*, MTContactFrameCallback callback)
{
    touchpad().registerCallback(callback);
}

void MTDeviceStart(const void*, std::int32_t) { touchpad().start(); }

void MTDeviceStop(const void*) { touchpad().stop(); }

long MTDeviceListGetCount(const void* list) { return static_cast<long>(devicesOf(list).size()); }

const void* MTDeviceListGetValueAtIndex(const void* list, long index)
{
    return devicesOf(list).at(static_cast<std::size_t>(index));
}

const void* MTDeviceListRetain(const void* list) { return list; }

void MTDeviceListRelease(const void*) {}

int QuorvelMultitouchUnreadableDeviceCount(void)
{
    const char* count = std::getenv("QUORVEL_TEST_BRIDGE_UNREADABLE");
    return count == nullptr ? 0 : std::atoi(count);
}

int QuorvelMultitouchUnsupportedDeviceCount(void) { return 0; }

}  // extern "C"
