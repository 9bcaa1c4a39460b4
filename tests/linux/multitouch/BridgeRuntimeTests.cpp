// The bridge's reader thread, start, stop and callbacks, with pipes in place of evdev devices.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <linux/input-event-codes.h>
#include <unistd.h>

#include <bit>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/linux/multitouch/BridgeRuntime.h"
#include "platform/UniqueFd.h"

namespace quorvel::linux_backend {
namespace {

// Events through a pipe; closing the write end is the device vanishing.
class PipeEventSource final : public EventSource {
public:
    explicit PipeEventSource(platform::UniqueFd readEnd) : readEnd_(std::move(readEnd)) {}
    int fd() const override { return readEnd_.get(); }
    Status next(InputEvent& event) override
    {
        const auto got = ::read(readEnd_.get(), &event, sizeof event);
        if (got < 0 && errno == EAGAIN) return Status::drained;
        return got == static_cast<ssize_t>(sizeof event) ? Status::event : Status::gone;
    }

private:
    platform::UniqueFd readEnd_;
};

struct FakePad {
    std::shared_ptr<BridgeDevice> device;
    platform::UniqueFd writeEnd;

    void write(std::uint16_t type, std::uint16_t code, std::int32_t value, long usec)
    {
        const InputEvent event{5, usec, type, code, value};
        ASSERT_EQ(::write(writeEnd.get(), &event, sizeof event), static_cast<ssize_t>(sizeof event));
    }
    // One frame with touch `id` at (x, 0) of a 0..100 pad, or with a lift when `id` is -1.
    void frame(std::int32_t id, std::int32_t x = 10, long usec = 0)
    {
        write(EV_ABS, ABS_MT_TRACKING_ID, id, usec);
        if (id >= 0) write(EV_ABS, ABS_MT_POSITION_X, x, usec);
        if (id >= 0) write(EV_ABS, ABS_MT_POSITION_Y, 0, usec);
        write(EV_SYN, SYN_REPORT, 0, usec);
    }
};

struct Received {
    std::int32_t device, count;
    double timestamp;
    std::int32_t frame;
    std::vector<unsigned char> records;
    std::thread::id thread;
};

// The framework's callback carries no context: this is the one record of what it saw, reset per test.
struct Deliveries {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<Received> received;
} deliveries;

int recordFrame(std::int32_t device, const void* touches, std::int32_t count, double timestamp, std::int32_t frame)
{
    const auto* bytes = static_cast<const unsigned char*>(touches);
    const std::size_t size = touches && count > 0 ? 80 * static_cast<std::size_t>(count) : 0;
    const Received r{device, count, timestamp, frame, {bytes, bytes + size}, std::this_thread::get_id()};
    std::lock_guard lock(deliveries.mutex);
    deliveries.received.push_back(r);
    deliveries.changed.notify_all();
    return 0;
}

class BridgeRuntimeTest : public ::testing::Test {
protected:
    void SetUp() override { deliveries.received.clear(); }
    void TearDown() override { runtime_.reset(); }  // ends the reader before the record is reset

    // `count` pads with ids 1, 2, ..., listed, called back and started.
    void startPads(int count)
    {
        for (int id = 1; id <= count; ++id) {
            int fds[2];
            ASSERT_EQ(::pipe2(fds, O_NONBLOCK | O_CLOEXEC), 0);
            TouchpadAxes axes;
            axes.x = axes.y = AbsoluteAxis{0, 100, 0, 0, 0};
            auto source = std::make_unique<PipeEventSource>(platform::UniqueFd(fds[0]));
            pads_.push_back({std::make_shared<BridgeDevice>(id, std::move(source), MultitouchDecoder(axes)), platform::UniqueFd(fds[1])});
        }
        runtime_ = std::make_unique<BridgeRuntime>([this] {
            TouchpadScan scan{{}, 1, 2};
            for (const auto& pad : pads_) scan.devices.push_back(pad.device);
            return scan;
        });
        const void* list = runtime_->createList();
        ASSERT_EQ(runtime_->listCount(list), count);  // (past the end: the bridge library's test)
        for (int i = 0; i < count; ++i) {
            ASSERT_EQ(runtime_->listValue(list, i), pads_[static_cast<std::size_t>(i)].device.get());
            runtime_->registerCallback(runtime_->listValue(list, i), recordFrame);
            runtime_->start(runtime_->listValue(list, i));
        }
    }
    std::vector<Received> waitFor(std::size_t count)
    {
        std::unique_lock lock(deliveries.mutex);
        EXPECT_TRUE(deliveries.changed.wait_for(lock, std::chrono::seconds(10), [&] { return deliveries.received.size() >= count; }));
        return deliveries.received;
    }
    const void* device(std::size_t index) const { return pads_.at(index).device.get(); }

    std::vector<FakePad> pads_;
    std::unique_ptr<BridgeRuntime> runtime_;
};

// A little-endian 32-bit field of a delivery's touch records.
std::uint32_t field(const Received& delivery, std::size_t offset)
{
    std::uint32_t value = 0;
    for (std::size_t i = 4; i-- > 0;) value = value << 8 | delivery.records.at(offset + i);
    return value;
}

TEST_F(BridgeRuntimeTest, StartedDeviceDeliversEachFrameAsEightyByteRecordsOnTheReaderThread)
{
    startPads(1);
    EXPECT_EQ(runtime_->unreadableTouchpadCount(), 1);
    EXPECT_EQ(runtime_->protocolAOnlyTouchpadCount(), 2);
    EXPECT_TRUE(runtime_->readerRunning());
    pads_[0].frame(42, 25, 500000);
    pads_[0].frame(-1, 0, 600000);
    const auto got = waitFor(2);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].device, 1);
    EXPECT_EQ(got[0].count, 1);
    EXPECT_DOUBLE_EQ(got[0].timestamp, 5.5);
    EXPECT_NE(got[0].thread, std::this_thread::get_id());
    ASSERT_EQ(got[0].records.size(), 80u);
    // Identifier, state, x, y (raw 0 is the top edge) and size; every other byte is zero.
    const std::pair<std::size_t, std::uint32_t> fields[] = {{16, 42u}, {20, 1u}, {32, std::bit_cast<std::uint32_t>(0.25f)},
        {36, std::bit_cast<std::uint32_t>(1.0f)}, {40, std::bit_cast<std::uint32_t>(1.0f)}};
    for (const auto& [offset, value] : fields) EXPECT_EQ(field(got[0], offset), value) << "offset " << offset;
    for (std::size_t i = 0; i < 80; ++i) {
        EXPECT_TRUE((i >= 16 && i < 24) || (i >= 32 && i < 44) || got[0].records[i] == 0) << "byte " << i;
    }
    EXPECT_EQ(got[1].count, 0) << "the lift frame lists nothing";
    EXPECT_EQ(got[1].frame, got[0].frame + 1);
}

TEST_F(BridgeRuntimeTest, StopIsSynchronousAndTheTouchContinuesAfterARestart)
{
    startPads(1);
    pads_[0].frame(0);  // tracking ID 0 is a touch like any other
    waitFor(1);
    runtime_->stop(device(0));
    EXPECT_FALSE(runtime_->readerRunning()) << "the last stop ends the reader thread";
    pads_[0].frame(0, 20, 1000);  // waits in the pipe
    EXPECT_EQ(waitFor(1).size(), 1u);
    runtime_->start(device(0));
    const auto got = waitFor(2);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(field(got[1], 20), 4u) << "state: continuing";
}

TEST_F(BridgeRuntimeTest, DetachedAndVanishedDevicesAreSkippedWhileOthersGoOn)
{
    startPads(3);
    runtime_->registerCallback(device(0), nullptr);
    pads_[1].writeEnd.reset();  // unplugged
    // Ready devices are read in the order they became readable: the first pad's frame is
    // read before the third's is delivered.
    pads_[0].frame(1);
    pads_[2].frame(3);
    EXPECT_EQ(waitFor(1).at(0).device, 3);
    runtime_->stop(device(1));  // harmless on a device that is gone
    runtime_->stop(device(0));
    EXPECT_TRUE(runtime_->readerRunning());
    runtime_->stop(device(2));
    EXPECT_FALSE(runtime_->readerRunning());
    EXPECT_EQ(waitFor(1).size(), 1u);
}

}  // namespace
}  // namespace quorvel::linux_backend
