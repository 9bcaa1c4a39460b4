// A multitouch framework library for tests, built in variants (see CMakeLists.txt):
// TEST_DEVICE_LAYOUT lists device ids (0 = a null entry), TEST_OMIT_DEVICE_STOP and
// TEST_OMIT_LIST_RETAIN leave a symbol out, TEST_THREADED makes a started device send
// the scripted frames from a thread of its own, then empty frames until it is stopped.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/MultitouchFramework.h"
#include "tests/monitor/TestFrameworkData.h"

namespace {

struct Device {
    int id;
};

struct State {
    std::mutex mutex;
    std::vector<std::string> calls;
    std::string joinedCalls;
    std::vector<Device> devices;
    std::vector<const void*> list;
    long listReferences = 1;  // the library's own
    std::map<int, MTContactFrameCallback> callbacks;
    std::thread sender;
    bool stopRequested = false;
    bool scriptSent = false;
    std::condition_variable progress;
    // Relaxed on purpose: waiting for them orders nothing between the two threads, so
    // ThreadSanitizer sees the callback's accesses as concurrent with the main thread's.
    std::atomic<bool> keepSending{false};
    std::atomic<long> sentAfterScript{0};

    State()
    {
        const std::vector<int> layout{TEST_DEVICE_LAYOUT};
        devices.reserve(layout.size());
        for (int id : layout) {
            if (id == 0) {
                list.push_back(nullptr);
            } else {
                devices.push_back(Device{id});
                list.push_back(&devices.back());
            }
        }
    }
    ~State() { stopSender(); }

    void stopSender()
    {
        {
            std::lock_guard lock(mutex);
            stopRequested = true;
        }
        progress.notify_all();
        if (sender.joinable()) sender.join();
    }
};

State& state()
{
    static State instance;
    return instance;
}

int idOf(const void* device) { return static_cast<const Device*>(device)->id; }

void record(std::string call)
{
    std::lock_guard lock(state().mutex);
    state().calls.push_back(std::move(call));
}

// Calls the device's callback, if one is registered; true if it did. Called without the
// lock, so a callback may still be running when detaching returns (until the device stops).
bool deliver(int deviceID, const void* touches, std::int32_t count, double timestamp, std::int32_t frame)
{
    MTContactFrameCallback callback = nullptr;
    {
        std::lock_guard lock(state().mutex);
        if (auto found = state().callbacks.find(deviceID); found != state().callbacks.end()) callback = found->second;
    }
    if (callback == nullptr) return false;
    callback(deviceID, touches, count, timestamp, frame);
    return true;
}

[[maybe_unused]] void sendFrames(int deviceID)
{
    // One buffer reused for every frame: the callback must copy.
    quorvel::testing::TouchRecords records;
    for (const auto& scripted : quorvel::testing::threadedFrameScript()) {
        records.write(scripted.contacts);
        deliver(deviceID, scripted.nullTouches ? nullptr : records.data(), scripted.count, scripted.timestamp,
                scripted.frame);
    }
    {
        std::lock_guard lock(state().mutex);
        state().scriptSent = true;
    }
    state().progress.notify_all();
    // Then, once the test asks for it, empty frames until the device is stopped.
    const auto stopRequested = [] {
        std::lock_guard lock(state().mutex);
        return state().stopRequested;
    };
    while (!state().keepSending.load(std::memory_order_relaxed)) {
        if (stopRequested()) return;
        std::this_thread::yield();
    }
    for (long i = 0; i < 1'000'000 && !stopRequested(); ++i) {
        deliver(deviceID, records.data(), 0, 3.0 + static_cast<double>(i) * 0.001, static_cast<std::int32_t>(100 + i));
        state().sentAfterScript.fetch_add(1, std::memory_order_relaxed);
        std::this_thread::yield();
    }
}

}  // namespace

extern "C" {

const void* MTDeviceCreateList(void)
{
    record("create");
    return &state().list;
}

void MTRegisterContactFrameCallback(const void* device, MTContactFrameCallback callback)
{
    record("register " + std::to_string(idOf(device)) + (callback ? " callback" : " null"));
    std::lock_guard lock(state().mutex);
    state().callbacks[idOf(device)] = callback;
}

void MTDeviceStart(const void* device, std::int32_t mode)
{
    record("start " + std::to_string(idOf(device)) + " " + std::to_string(mode));
#ifdef TEST_THREADED
    state().sender = std::thread(sendFrames, idOf(device));
#endif
}

#ifndef TEST_OMIT_DEVICE_STOP
void MTDeviceStop(const void* device)
{
    record("stop " + std::to_string(idOf(device)));
    state().stopSender();
}
#endif

long MTDeviceListGetCount(const void* list) { return static_cast<long>(static_cast<const std::vector<const void*>*>(list)->size()); }

const void* MTDeviceListGetValueAtIndex(const void* list, long index)
{
    return static_cast<const std::vector<const void*>*>(list)->at(static_cast<std::size_t>(index));
}

#ifndef TEST_OMIT_LIST_RETAIN
const void* MTDeviceListRetain(const void* list)
{
    record("retain");
    std::lock_guard lock(state().mutex);
    ++state().listReferences;
    return list;
}
#endif

void MTDeviceListRelease(const void*)
{
    record("release");
    std::lock_guard lock(state().mutex);
    --state().listReferences;
}

// Test controls.

const char* testFrameworkCalls()
{
    std::lock_guard lock(state().mutex);
    state().joinedCalls.clear();
    for (const auto& call : state().calls) state().joinedCalls += (state().joinedCalls.empty() ? "" : "|") + call;
    return state().joinedCalls.c_str();
}

void testFrameworkClearCalls()
{
    std::lock_guard lock(state().mutex);
    state().calls.clear();
}

long testFrameworkListReferences()
{
    std::lock_guard lock(state().mutex);
    return state().listReferences;
}

int testFrameworkFire(int deviceID, const void* touches, std::int32_t count, double timestamp, std::int32_t frame)
{
    return deliver(deviceID, touches, count, timestamp, frame) ? 1 : 0;
}

int testFrameworkWaitForScript(double timeoutSeconds)
{
    std::unique_lock lock(state().mutex);
    const bool sent = state().progress.wait_for(lock, std::chrono::duration<double>(timeoutSeconds),
                                                [] { return state().scriptSent; });
    return sent ? 1 : 0;
}

// Lets the sender go on and waits until it has sent `atLeast` more frames.
int testFrameworkKeepSending(long atLeast, double timeoutSeconds)
{
    state().keepSending.store(true, std::memory_order_relaxed);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
    while (state().sentAfterScript.load(std::memory_order_relaxed) < atLeast) {
        if (std::chrono::steady_clock::now() > deadline) return 0;
        std::this_thread::yield();
    }
    return 1;
}

}  // extern "C"
