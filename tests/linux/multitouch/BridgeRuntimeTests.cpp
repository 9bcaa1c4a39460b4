// The bridge's device lists, reader thread, start, stop and callbacks, with event
// streams written into pipes in place of evdev devices.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <linux/input.h>
#include <unistd.h>

#include <bit>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

#include "platform/linux/multitouch/BridgeRuntime.h"
#include "platform/linux/multitouch/UniqueFd.h"

namespace quorvel::linux_backend {
namespace {

namespace layout = platform::multitouch;

// Raw input_event structs through a pipe; the end of the pipe is the device vanishing.
class PipeEventSource final : public EventSource {
public:
    explicit PipeEventSource(UniqueFd readEnd) : readEnd_(std::move(readEnd)) {}
    int fd() const override { return readEnd_.get(); }
    Status next(InputEvent& event) override
    {
        input_event raw{};
        const auto got = ::read(readEnd_.get(), &raw, sizeof raw);
        if (got < 0 && errno == EAGAIN) return Status::drained;
        if (got != static_cast<ssize_t>(sizeof raw)) return Status::gone;
        event = InputEvent{raw.input_event_sec, raw.input_event_usec, raw.type, raw.code, raw.value};
        return Status::event;
    }

private:
    UniqueFd readEnd_;
};

struct FakePad {
    std::shared_ptr<BridgeDevice> device;
    UniqueFd writeEnd;

    void write(std::uint16_t type, std::uint16_t code, std::int32_t value, long usec = 0)
    {
        input_event raw{};
        raw.input_event_sec = 5;
        raw.input_event_usec = usec;
        raw.type = type;
        raw.code = code;
        raw.value = value;
        ASSERT_EQ(::write(writeEnd.get(), &raw, sizeof raw), static_cast<ssize_t>(sizeof raw));
    }
    void touchFrame(std::int32_t id, std::int32_t x, long usec)
    {
        write(EV_ABS, ABS_MT_TRACKING_ID, id, usec);
        write(EV_ABS, ABS_MT_POSITION_X, x, usec);
        write(EV_ABS, ABS_MT_POSITION_Y, 0, usec);
        write(EV_SYN, SYN_REPORT, 0, usec);
    }
};

FakePad makePad(std::int32_t id)
{
    int fds[2];
    if (::pipe2(fds, O_NONBLOCK | O_CLOEXEC) != 0) throw std::runtime_error("pipe2");
    TouchpadAxes axes;
    axes.x = AbsoluteAxis{0, 100, 0, 0, 0};
    axes.y = AbsoluteAxis{0, 100, 0, 0, 0};
    auto source = std::make_unique<PipeEventSource>(UniqueFd(fds[0]));
    return FakePad{std::make_shared<BridgeDevice>(id, std::move(source), MultitouchDecoder(axes)), UniqueFd(fds[1])};
}

struct Received {
    std::int32_t device;
    std::int32_t count;
    double timestamp;
    std::int32_t frame;
    std::int32_t firstIdentifier;
    std::int32_t firstState;
    float firstX;
    std::thread::id thread;
};

// What the callback saw. The framework callback carries no context, so this is the
// one process-wide record of the tests; each test starts it afresh.
struct Deliveries {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<Received> received;
    std::function<void(std::int32_t device)> reaction;  // runs inside the callback

    bool waitFor(std::size_t count)
    {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(10), [&] { return received.size() >= count; });
    }
    std::vector<Received> snapshot()
    {
        std::lock_guard lock(mutex);
        return received;
    }
};
Deliveries* deliveries = nullptr;

int recordFrame(std::int32_t device, const void* touches, std::int32_t count, double timestamp, std::int32_t frame)
{
    Received r{device, count, timestamp, frame, 0, 0, 0, std::this_thread::get_id()};
    if (touches != nullptr && count > 0) {
        const auto* bytes = static_cast<const unsigned char*>(touches);
        std::memcpy(&r.firstIdentifier, bytes + layout::identifierOffset, 4);
        std::memcpy(&r.firstState, bytes + layout::stateOffset, 4);
        std::memcpy(&r.firstX, bytes + layout::xOffset, 4);
    }
    {
        std::lock_guard lock(deliveries->mutex);
        deliveries->received.push_back(r);
    }
    deliveries->changed.notify_all();
    if (deliveries->reaction) deliveries->reaction(device);
    return 0;
}

class BridgeRuntimeTest : public ::testing::Test {
protected:
    void SetUp() override { deliveries = &record_; }
    void TearDown() override
    {
        runtime_.reset();  // ends the reader before the record goes
        deliveries = nullptr;
    }

    // A runtime whose next list holds `pads`.
    BridgeRuntime& runtimeWith(std::vector<std::shared_ptr<BridgeDevice>> pads)
    {
        runtime_ = std::make_unique<BridgeRuntime>([pads] { return TouchpadScan{pads, 1, 2}; });
        return *runtime_;
    }

    Deliveries record_;
    std::unique_ptr<BridgeRuntime> runtime_;
};

// --- Lists -------------------------------------------------------------------------------

TEST_F(BridgeRuntimeTest, ListsHoldTheirDevicesWhileReferenced)
{
    auto pad = makePad(3);
    BridgeRuntime& bridge = runtimeWith({pad.device});
    const void* first = bridge.createList();
    EXPECT_EQ(bridge.listCount(first), 1);
    EXPECT_EQ(bridge.listValue(first, 0), pad.device.get());
    EXPECT_EQ(bridge.listValue(first, 1), nullptr);
    EXPECT_EQ(bridge.unreadableTouchpadCount(), 1);
    EXPECT_EQ(bridge.protocolAOnlyTouchpadCount(), 2);

    EXPECT_EQ(bridge.retainList(first), first);
    const void* second = bridge.createList();  // the runtime gives up its own reference to the first
    EXPECT_EQ(bridge.listCount(first), 1) << "still retained by the caller";
    bridge.releaseList(first);
    EXPECT_EQ(bridge.listCount(first), 0) << "gone with the last reference";
    EXPECT_EQ(bridge.listCount(second), 1);
}

// --- Frames to the callback --------------------------------------------------------------

TEST_F(BridgeRuntimeTest, StartedDeviceDeliversEachFrameAsRecordsOnTheReaderThread)
{
    auto pad = makePad(7);
    BridgeRuntime& bridge = runtimeWith({pad.device});
    const void* device = bridge.listValue(bridge.createList(), 0);
    bridge.registerCallback(device, recordFrame);
    bridge.start(device);
    EXPECT_TRUE(bridge.readerRunning());
    pad.touchFrame(42, 25, 500000);
    pad.write(EV_ABS, ABS_MT_TRACKING_ID, -1, 600000);
    pad.write(EV_SYN, SYN_REPORT, 0, 600000);
    ASSERT_TRUE(record_.waitFor(2));
    const auto got = record_.snapshot();
    EXPECT_EQ(got[0].device, 7);
    EXPECT_EQ(got[0].count, 1);
    EXPECT_DOUBLE_EQ(got[0].timestamp, 5.5);
    EXPECT_EQ(got[0].firstIdentifier, 42);
    EXPECT_EQ(got[0].firstState, 1);
    EXPECT_EQ(got[0].firstX, 0.25f);
    EXPECT_NE(got[0].thread, std::this_thread::get_id());
    EXPECT_EQ(got[1].count, 0) << "the lift frame lists nothing";
    EXPECT_EQ(got[1].frame, got[0].frame + 1);
    bridge.stop(device);
}

TEST_F(BridgeRuntimeTest, StopIsSynchronousAndTheDeviceIsNotReadWhileStopped)
{
    auto pad = makePad(1);
    BridgeRuntime& bridge = runtimeWith({pad.device});
    const void* device = bridge.listValue(bridge.createList(), 0);
    bridge.registerCallback(device, recordFrame);
    bridge.start(device);
    pad.touchFrame(1, 10, 0);
    ASSERT_TRUE(record_.waitFor(1));
    bridge.stop(device);
    EXPECT_FALSE(bridge.readerRunning()) << "the last stop ends the reader thread";
    pad.touchFrame(1, 20, 1000);  // waits in the pipe
    EXPECT_EQ(record_.snapshot().size(), 1u);
    bridge.start(device);
    ASSERT_TRUE(record_.waitFor(2));
    EXPECT_EQ(record_.snapshot()[1].firstState, 4) << "the touch continues where it was";
    bridge.stop(device);
}

TEST_F(BridgeRuntimeTest, DetachedCallbackIsNotCalledWhileOtherDevicesGoOn)
{
    auto quiet = makePad(1);
    auto busy = makePad(2);
    BridgeRuntime& bridge = runtimeWith({quiet.device, busy.device});
    bridge.createList();
    for (const auto* device : {quiet.device.get(), busy.device.get()}) {
        bridge.registerCallback(device, recordFrame);
        bridge.start(device);
    }
    bridge.registerCallback(quiet.device.get(), nullptr);
    // The reader takes ready devices in the order they became readable, so the quiet
    // pad's frame is read before the busy pad's is delivered.
    quiet.touchFrame(1, 10, 0);
    busy.touchFrame(2, 10, 0);
    ASSERT_TRUE(record_.waitFor(1));
    bridge.stop(quiet.device.get());
    bridge.stop(busy.device.get());
    const auto got = record_.snapshot();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].device, 2);
}

TEST_F(BridgeRuntimeTest, VanishedDeviceIsDroppedQuietly)
{
    auto leaving = makePad(1);
    auto staying = makePad(2);
    BridgeRuntime& bridge = runtimeWith({leaving.device, staying.device});
    const void* list = bridge.createList();
    for (long i = 0; i < 2; ++i) {
        bridge.registerCallback(bridge.listValue(list, i), recordFrame);
        bridge.start(bridge.listValue(list, i));
    }
    leaving.writeEnd.reset();  // the device is unplugged
    staying.touchFrame(2, 10, 0);
    ASSERT_TRUE(record_.waitFor(1));
    EXPECT_EQ(record_.snapshot()[0].device, 2);
    bridge.stop(leaving.device.get());  // harmless on a device that is gone
    EXPECT_TRUE(bridge.readerRunning());
    bridge.stop(staying.device.get());
    EXPECT_FALSE(bridge.readerRunning());
}

TEST_F(BridgeRuntimeTest, CallbackMayStopItsOwnDevice)
{
    auto pad = makePad(4);
    BridgeRuntime& bridge = runtimeWith({pad.device});
    const void* device = bridge.listValue(bridge.createList(), 0);
    record_.reaction = [&](std::int32_t) { bridge.stop(device); };
    bridge.registerCallback(device, recordFrame);
    bridge.start(device);
    // Two frames in one read: the second must not be delivered once the first stopped.
    pad.touchFrame(1, 10, 0);
    pad.touchFrame(1, 20, 1000);
    ASSERT_TRUE(record_.waitFor(1));
    runtime_.reset();  // joins the reader that ended on its own
    EXPECT_EQ(record_.snapshot().size(), 1u);
}

TEST_F(BridgeRuntimeTest, EndingTheRuntimeWithDevicesStillStartedEndsTheReaderFirst)
{
    // What unloading the library does when the caller never stopped its devices.
    auto pad = makePad(5);
    BridgeRuntime& bridge = runtimeWith({pad.device});
    const void* device = bridge.listValue(bridge.createList(), 0);
    bridge.registerCallback(device, recordFrame);
    bridge.start(device);
    pad.touchFrame(1, 10, 0);
    ASSERT_TRUE(record_.waitFor(1));
    const std::weak_ptr<BridgeDevice> watched = pad.device;
    pad.device.reset();
    runtime_.reset();
    EXPECT_TRUE(watched.expired()) << "the runtime let go of every device";
}

}  // namespace
}  // namespace quorvel::linux_backend
