// Stands in for the multitouch bridge. Its environment says what it offers:
//   QUORVEL_TEST_BRIDGE_DEVICES     "0": an empty device list (otherwise one device)
//   QUORVEL_TEST_BRIDGE_UNREADABLE  how many touchpads it could not open (default 0)
//   QUORVEL_TEST_TOUCHPAD_DIR       where it writes "started" once the device starts, then
//                                   plays its script once for each "play-N" written there.
// The script: a touch held in the top-left corner for 0.75 s while it drifts 0.05 to the
// right, a touch in the middle, then three quick taps in the top-left corner (ends 3.05,
// 3.20, 3.35 in frame time). Each play starts 10 s of frame time after the previous one.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/MultitouchFramework.h"
#include "platform/linux/multitouch/QuorvelMultitouch.h"

namespace {

namespace mt = quorvel::platform::multitouch;
namespace fs = std::filesystem;

// One contact, or none when `identifier` is 0.
struct Frame {
    double timestamp;
    std::int32_t identifier = 0;
    float x = 0, y = 0;
};

std::vector<Frame> script(int play)
{
    const double start = 10.0 * play;
    const std::int32_t id = 5 * play;
    std::vector<Frame> frames;
    for (int step = 0; step < 6; ++step) frames.push_back({start + 1.0 + 0.125 * step, id + 1, 0.1f + 0.01f * step, 0.9f});
    frames.push_back({start + 1.75});
    frames.push_back({start + 2.0, id + 2, 0.5f, 0.5f});
    frames.push_back({start + 2.1});
    for (int tap = 0; tap < 3; ++tap) {
        frames.push_back({start + 3.0 + 0.15 * tap, id + 3 + tap, 0.1f, 0.9f});
        frames.push_back({start + 3.05 + 0.15 * tap});
    }
    return frames;
}

class Touchpad {
public:
    ~Touchpad() { stop(); }

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

    std::atomic<MTContactFrameCallback> callback{nullptr};
    std::int32_t device = 1;
    std::vector<const void*> one{&device}, none;

private:
    void play()
    {
        while (!stopRequested_) {
            if (fs::exists(folder_ / ("play-" + std::to_string(played_ + 1))))
                for (const Frame& frame : script(played_++)) send(frame);
            else
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    void send(const Frame& frame)
    {
        // Noise after the record: the callback must copy what it needs.
        std::vector<unsigned char> buffer(mt::rawTouchRecordSize * 2, 0xAB);
        const std::int32_t state = 1;
        const float size = 1.0f;
        std::memcpy(buffer.data() + mt::identifierOffset, &frame.identifier, 4);
        std::memcpy(buffer.data() + mt::stateOffset, &state, 4);
        std::memcpy(buffer.data() + mt::xOffset, &frame.x, 4);
        std::memcpy(buffer.data() + mt::yOffset, &frame.y, 4);
        std::memcpy(buffer.data() + mt::sizeOffset, &size, 4);
        if (auto receiver = callback.load())
            receiver(1, buffer.data(), frame.identifier == 0 ? 0 : 1, frame.timestamp, ++frame_);
    }

    std::thread player_;
    std::atomic<bool> stopRequested_{false};
    fs::path folder_;
    std::int32_t frame_ = 0;
    int played_ = 0;  // kept across restarts of the device, so no play is repeated
};

Touchpad& touchpad()
{
    static Touchpad instance;
    return instance;
}

const std::vector<const void*>& devicesOf(const void* list) { return *static_cast<const std::vector<const void*>*>(list); }

}  // namespace

extern "C" {

const void* MTDeviceCreateList(void)
{
    const char* devices = std::getenv("QUORVEL_TEST_BRIDGE_DEVICES");
    return devices != nullptr && std::strcmp(devices, "0") == 0 ? &touchpad().none : &touchpad().one;
}

void MTRegisterContactFrameCallback(const void*, MTContactFrameCallback callback) { touchpad().callback = callback; }

void MTDeviceStart(const void*, std::int32_t) { touchpad().start(); }

void MTDeviceStop(const void*) { touchpad().stop(); }

long MTDeviceListGetCount(const void* list) { return static_cast<long>(devicesOf(list).size()); }

const void* MTDeviceListGetValueAtIndex(const void* list, long index) { return devicesOf(list).at(index); }

const void* MTDeviceListRetain(const void* list) { return list; }

void MTDeviceListRelease(const void*) {}

int QuorvelMultitouchUnreadableDeviceCount(void)
{
    const char* count = std::getenv("QUORVEL_TEST_BRIDGE_UNREADABLE");
    return count == nullptr ? 0 : std::atoi(count);
}

int QuorvelMultitouchUnsupportedDeviceCount(void) { return 0; }

int QuorvelMultitouchDeviceIdentity(const void*, char* name, std::size_t nameSize, char* node, std::size_t nodeSize)
{
    std::snprintf(name, nameSize, "Scripted Touchpad");
    std::snprintf(node, nodeSize, "/dev/input/event-scripted");
    return 0;
}

}  // extern "C"
