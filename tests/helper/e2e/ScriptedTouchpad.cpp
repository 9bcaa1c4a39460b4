// A multitouch framework library standing in for the bridge in end-to-end runs of the
// agent: one device which, once started, plays a double tap in the top-left corner from
// a thread of its own each time the test asks for one.
//
// The test talks to it through a folder named by $QUORVEL_TEST_TOUCHPAD_DIR: the library
// writes "started" when the device starts; the test writes "tap-N" (N = 1, 2, ...) to ask
// for the N-th double tap, and the library writes "played-N" once its frames have been
// handed to the callback.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/MultitouchFramework.h"

namespace {

namespace mt = quorvel::platform::multitouch;
namespace fs = std::filesystem;

constexpr std::int32_t deviceID = 1;

struct Contact {
    std::int32_t identifier;
    float x, y;
};

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
        stop();
        const char* folder = std::getenv("QUORVEL_TEST_TOUCHPAD_DIR");
        if (folder == nullptr) return;
        folder_ = folder;
        stopRequested_ = false;
        player_ = std::thread([this] { play(); });
        std::ofstream(folder_ / "started") << "started\n";
    }

    void stop()
    {
        stopRequested_ = true;
        if (player_.joinable()) player_.join();
    }

    const void* list() const { return &list_; }

private:
    void play()
    {
        while (!stopRequested_) {
            const auto request = folder_ / ("tap-" + std::to_string(played_ + 1));
            if (fs::exists(request)) {
                playDoubleTap(played_);
                ++played_;
                std::ofstream(folder_ / ("played-" + std::to_string(played_))) << "played\n";
            } else {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        }
    }

    // Two short, still touches in the top-left corner, 0.2 s apart in frame time. Each
    // sequence starts 10 s after the previous one, so sequences never join.
    void playDoubleTap(int sequence)
    {
        const double start = 10.0 * (sequence + 1);
        const std::int32_t first = 2 * sequence + 1;
        send(start + 0.00, {{first, 0.1f, 0.9f}});
        send(start + 0.05, {});
        send(start + 0.20, {{first + 1, 0.1f, 0.9f}});
        send(start + 0.25, {});
    }

    void send(double timestamp, const std::vector<Contact>& contacts)
    {
        // The callback must copy: the buffer is reused and overwritten with noise.
        std::vector<unsigned char> buffer(mt::rawTouchRecordSize * 2, 0xAB);
        for (std::size_t k = 0; k < contacts.size(); ++k) {
            unsigned char* record = buffer.data() + k * mt::rawTouchRecordSize;
            const std::int32_t state = 1;
            const float size = 1.0f;
            std::memcpy(record + mt::identifierOffset, &contacts[k].identifier, 4);
            std::memcpy(record + mt::stateOffset, &state, 4);
            std::memcpy(record + mt::xOffset, &contacts[k].x, 4);
            std::memcpy(record + mt::yOffset, &contacts[k].y, 4);
            std::memcpy(record + mt::sizeOffset, &size, 4);
        }
        MTContactFrameCallback callback = nullptr;
        {
            std::lock_guard lock(mutex_);
            callback = callback_;
        }
        if (callback != nullptr) {
            callback(deviceID, buffer.data(), static_cast<std::int32_t>(contacts.size()), timestamp, ++frame_);
        }
    }

    std::mutex mutex_;
    MTContactFrameCallback callback_ = nullptr;
    std::thread player_;
    std::atomic<bool> stopRequested_{false};
    fs::path folder_;
    std::int32_t frame_ = 0;
    int played_ = 0;  // kept across restarts of the device, so no request is played twice
    std::int32_t device_ = deviceID;
    std::vector<const void*> list_{&device_};
};

Touchpad& touchpad()
{
    static Touchpad instance;
    return instance;
}

}  // namespace

extern "C" {

const void* MTDeviceCreateList(void) { return touchpad().list(); }

void MTRegisterContactFrameCallback(const void*, MTContactFrameCallback callback)
{
    touchpad().registerCallback(callback);
}

void MTDeviceStart(const void*, std::int32_t) { touchpad().start(); }

void MTDeviceStop(const void*) { touchpad().stop(); }

long MTDeviceListGetCount(const void* list)
{
    return static_cast<long>(static_cast<const std::vector<const void*>*>(list)->size());
}

const void* MTDeviceListGetValueAtIndex(const void* list, long index)
{
    return static_cast<const std::vector<const void*>*>(list)->at(static_cast<std::size_t>(index));
}

const void* MTDeviceListRetain(const void* list) { return list; }

void MTDeviceListRelease(const void*) {}

}  // extern "C"
