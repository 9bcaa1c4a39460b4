// A multitouch framework library for tests, built in variants (see CMakeLists.txt):
// TEST_DEVICE_LAYOUT lists device ids (0 = a null entry), TEST_OMIT_DEVICE_STOP,
// TEST_OMIT_LIST_RETAIN and TEST_OMIT_LIST_RELEASE leave a symbol out, TEST_THREADED makes a started device send
// the scripted frames from a thread of its own, then empty frames until it is stopped.
#include <array>
#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "platform/MultitouchFramework.h"

namespace {

struct State {
    std::string calls;                         // main thread only
    std::vector<int> ids{TEST_DEVICE_LAYOUT};  // a device is a pointer to its id
    std::atomic<MTContactFrameCallback> callback{nullptr};  // the threaded layout has one device
    std::thread sender;
    std::atomic<bool> stopRequested{false};

    ~State() { stopSender(); }
    void stopSender()
    {
        stopRequested = true;
        if (sender.joinable()) sender.join();
    }
} state;

std::string idOf(const void* device) { return std::to_string(*static_cast<const int*>(device)); }

template <class Result = int>
Result record(const std::string& call, Result result = {})
{
    state.calls += (state.calls.empty() ? "" : "|") + call;
    return result;
}

struct RawTouch {
    std::int32_t identifierAndState[2];
    float xYAndSize[3];
};

// What a started device sends from its own thread: the frames the thread test expects, then
// empty frames until the device is stopped.
[[maybe_unused]] void sendFrames(std::int32_t device)
{
    // A callback may still run when detaching returns, until the device is stopped.
    const auto send = [device](const void* touches, std::int32_t count, double timestamp, std::int32_t frame) {
        if (auto callback = state.callback.load()) callback(device, touches, count, timestamp, frame);
    };
    // One buffer for every frame (the callback must copy), one byte off any alignment:
    // little-endian records of 80 bytes, the bytes the callback does not read noise.
    std::array<unsigned char, 3 * 80 + 1> buffer{};
    unsigned char* records = buffer.data() + 1;
    const auto write = [&](const std::vector<RawTouch>& touches) {
        buffer.fill(0xCD);
        for (std::size_t k = 0; k < touches.size(); ++k) {
            std::memcpy(records + k * 80 + 16, touches[k].identifierAndState, 8);
            std::memcpy(records + k * 80 + 32, touches[k].xYAndSize, 12);
        }
        return records;
    };
    const RawTouch corner{{1, 1}, {0.125f, 0.875f, 1.0f}};
    send(write({corner}), 1, 1.00, 1);
    send(write({corner}), 0, 1.10, 2);
    send(write({{{2, 1}, {0.125f, 0.875f, 1.0f}}}), 1, 1.30, 3);
    send(nullptr, 2, 1.40, 4);
    send(write({corner}), -1, 1.70, 5);
    const RawTouch negative{{-7, -3}, {0.25f, 0.75f, 1.5f}}, largest{{2147483647, 4}, {0.5f, 0, 0.125f}};
    send(write({negative, largest, {{0, 0}, {1, -0.5f, 0}}}), 3, 2.00, 6);
    for (std::int32_t frame = 100; frame < 1'000'000 && !state.stopRequested; ++frame) {
        send(records, 0, 3.0 + frame * 0.001, frame);
        std::this_thread::yield();
    }
}

}  // namespace

extern "C" {

const void* MTDeviceCreateList(void) { return record<const void*>("create", &state.ids); }

void MTRegisterContactFrameCallback(const void* device, MTContactFrameCallback callback)
{
    record("register " + idOf(device) + (callback ? " callback" : " null"));
    state.callback = callback;
}

void MTDeviceStart(const void* device, std::int32_t mode)
{
    record("start " + idOf(device) + " " + std::to_string(mode));
#ifdef TEST_THREADED
    state.sender = std::thread(sendFrames, *static_cast<const int*>(device));
#endif
}

#ifndef TEST_OMIT_DEVICE_STOP
void MTDeviceStop(const void* device)
{
    record("stop " + idOf(device));
    state.stopSender();
}
#endif

long MTDeviceListGetCount(const void*) { return static_cast<long>(state.ids.size()); }

const void* MTDeviceListGetValueAtIndex(const void*, long index)
{
    const int& id = state.ids.at(static_cast<std::size_t>(index));
    return id == 0 ? nullptr : &id;
}

#ifndef TEST_OMIT_LIST_RETAIN
const void* MTDeviceListRetain(const void* list) { return record("retain", list); }
#endif

#ifndef TEST_OMIT_LIST_RELEASE
void MTDeviceListRelease(const void*) { record("release"); }
#endif

// The calls made so far, for the tests to read.
const char* testFrameworkCalls() { return state.calls.c_str(); }

}  // extern "C"
