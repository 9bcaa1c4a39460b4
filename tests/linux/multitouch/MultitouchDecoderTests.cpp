// The multitouch decoder on constructed event streams, the record encoding and the
// recording parser.
#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <bit>
#include <cstring>

#include "platform/MultitouchFramework.h"
#include "platform/linux/multitouch/EvemuRecording.h"
#include "platform/linux/multitouch/MultitouchDecoder.h"
#include "platform/linux/multitouch/RawTouchRecords.h"

namespace quorvel::linux_backend {
namespace {

TouchpadAxes padAxes(int slots = 4)
{
    TouchpadAxes axes;
    axes.x = AbsoluteAxis{0, 1000, 0, 0, 10};
    axes.y = AbsoluteAxis{0, 500, 0, 0, 10};
    axes.slotCount = slots;
    return axes;
}

// Feeds `events` and returns the frames they complete.
class Stream {
public:
    explicit Stream(MultitouchDecoder& decoder) : decoder_(decoder) {}
    Stream& abs(std::uint16_t code, std::int32_t value) { return feed(EV_ABS, code, value); }
    Stream& touch(int slot, std::int32_t id, std::int32_t x, std::int32_t y)
    {
        return abs(ABS_MT_SLOT, slot).abs(ABS_MT_TRACKING_ID, id).abs(ABS_MT_POSITION_X, x).abs(ABS_MT_POSITION_Y, y);
    }
    Stream& lift(int slot) { return abs(ABS_MT_SLOT, slot).abs(ABS_MT_TRACKING_ID, -1); }
    DecodedFrame report(std::int64_t microseconds = 0)
    {
        time_ = microseconds;
        const DecodedFrame* frame = decoder_.feed(InputEvent{0, microseconds, EV_SYN, SYN_REPORT, 0});
        EXPECT_NE(frame, nullptr);
        return frame ? *frame : DecodedFrame{};
    }
    Stream& feed(std::uint16_t type, std::uint16_t code, std::int32_t value)
    {
        EXPECT_EQ(decoder_.feed(InputEvent{0, time_, type, code, value}), nullptr);
        return *this;
    }

private:
    MultitouchDecoder& decoder_;
    std::int64_t time_ = 0;
};

// --- Contacts across slots, lifts and resynchronisation ----------------------------------------------------

TEST(MultitouchDecoder, NewTrackingIdInAnOccupiedSlotIsANewContact)
{
    MultitouchDecoder decoder(padAxes());
    Stream s(decoder);
    s.touch(0, 7, 100, 100).report();
    // The kernel may replace a touch without a lift in between.
    const auto replaced = s.abs(ABS_MT_TRACKING_ID, 8).report();
    ASSERT_EQ(replaced.contacts.size(), 1u);
    EXPECT_EQ(replaced.contacts[0].identifier, 8);
    EXPECT_EQ(replaced.contacts[0].state, 1);
    // Lift and touch again within one frame: still a new contact.
    const auto again = s.abs(ABS_MT_TRACKING_ID, -1).abs(ABS_MT_TRACKING_ID, 9).report();
    EXPECT_EQ(again.contacts.at(0).state, 1);
}

TEST(MultitouchDecoder, ResynchronisationAfterDroppedEventsGivesAConsistentFrame)
{
    MultitouchDecoder decoder(padAxes());
    Stream s(decoder);
    s.touch(0, 5, 100, 100).touch(1, 6, 900, 400).report();
    // Half a frame arrives, then the kernel drops events; libevdev then reports what
    // changed meanwhile: touch 5 went and 7 came in slot 0, touch 6 moved.
    s.abs(ABS_MT_SLOT, 0).abs(ABS_MT_POSITION_X, 120);
    s.feed(EV_SYN, SYN_DROPPED, 0);
    const auto synced = s.touch(0, 7, 300, 200).abs(ABS_MT_SLOT, 1).abs(ABS_MT_POSITION_X, 800).report();
    EXPECT_EQ(synced.contacts, (std::vector<DecodedContact>{{7, 1, 0.3f, 0.6f, 1.0f}, {6, 4, 0.8f, 0.2f, 1.0f}}));
}

TEST(MultitouchDecoder, TouchAlreadyDownWhenReadingStartsContinues)
{
    MultitouchDecoder decoder(padAxes());
    decoder.seed(SlotSeed{2, 11, 500, 250, 0, 0});
    decoder.seedCurrentSlot(2);
    Stream s(decoder);
    const auto frame = s.abs(ABS_MT_POSITION_X, 600).report();
    EXPECT_EQ(frame.contacts, (std::vector<DecodedContact>{{11, 4, 0.6f, 0.5f, 1.0f}}));
}

// --- Bounded, well-formed output whatever the input --------------------------------------

TEST(MultitouchDecoder, SlotNumbersOutsideTheRangeAreIgnored)
{
    MultitouchDecoder decoder(padAxes(2));
    Stream s(decoder);
    EXPECT_TRUE(s.touch(2, 4, 10, 10).touch(-1, 5, 10, 10).report().contacts.empty());
    EXPECT_EQ(s.touch(1, 6, 10, 10).report().contacts.size(), 1u);

    TouchpadAxes huge = padAxes(1 << 20);
    MultitouchDecoder capped(huge);
    Stream c(capped);
    EXPECT_TRUE(c.touch(MultitouchDecoder::maximumSlotCount, 1, 10, 10).report().contacts.empty());
    EXPECT_EQ(c.touch(MultitouchDecoder::maximumSlotCount - 1, 2, 10, 10).report().contacts.size(), 1u);
}

TEST(MultitouchDecoder, DegenerateAxisKeepsContactsOutOfTheCorners)
{
    TouchpadAxes axes = padAxes();
    axes.x = AbsoluteAxis{100, 100, 0, 0, 0};
    MultitouchDecoder decoder(axes);
    Stream s(decoder);
    EXPECT_EQ(s.touch(0, 1, 100, 0).report().contacts.at(0).x, 0.5f);
}

TEST(MultitouchDecoder, SizeIsTouchMajorElsePressureElseOne)
{
    TouchpadAxes both = padAxes();
    both.touchMajor = AbsoluteAxis{0, 255, 0, 0, 0};
    both.pressure = AbsoluteAxis{0, 255, 0, 0, 0};
    TouchpadAxes pressureOnly = padAxes();
    pressureOnly.pressure = both.pressure;
    const auto sizeWith = [](const TouchpadAxes& axes) {
        MultitouchDecoder decoder(axes);
        Stream s(decoder);
        return s.touch(0, 1, 10, 10).abs(ABS_MT_TOUCH_MAJOR, 30).abs(ABS_MT_PRESSURE, 70).report().contacts.at(0).size;
    };
    EXPECT_EQ(sizeWith(both), 30.0f);
    EXPECT_EQ(sizeWith(pressureOnly), 70.0f);
    EXPECT_EQ(sizeWith(padAxes()), 1.0f);
}

// --- The framework's touch records -------------------------------------------------------

TEST(RawTouchRecords, EightyLittleEndianBytesPerContactWithEveryOtherByteZero)
{
    namespace layout = platform::multitouch;
    std::vector<std::byte> records(3, std::byte{0x55});  // reused buffers start dirty
    encodeRawTouchRecords({{-2, 4, 0.25f, 0.75f, 3.5f}, {70000, 1, 1.0f, 0.0f, 1.0f}}, records);
    ASSERT_EQ(records.size(), 2 * layout::rawTouchRecordSize);
    const auto u32 = [&](std::size_t at) {
        std::uint32_t v = 0;
        for (int i = 3; i >= 0; --i) v = (v << 8) | std::to_integer<std::uint32_t>(records[at + static_cast<std::size_t>(i)]);
        return v;
    };
    const std::size_t second = layout::rawTouchRecordSize;
    EXPECT_EQ(static_cast<std::int32_t>(u32(layout::identifierOffset)), -2);
    EXPECT_EQ(u32(layout::stateOffset), 4u);
    EXPECT_EQ(std::bit_cast<float>(u32(layout::xOffset)), 0.25f);
    EXPECT_EQ(std::bit_cast<float>(u32(layout::yOffset)), 0.75f);
    EXPECT_EQ(std::bit_cast<float>(u32(layout::sizeOffset)), 3.5f);
    EXPECT_EQ(u32(second + layout::identifierOffset), 70000u);
    EXPECT_EQ(std::bit_cast<float>(u32(second + layout::xOffset)), 1.0f);
    for (std::size_t i = 0; i < records.size(); ++i) {
        const std::size_t offset = i % layout::rawTouchRecordSize;
        if (offset >= layout::identifierOffset && offset < layout::stateOffset + 4) continue;
        if (offset >= layout::xOffset && offset < layout::sizeOffset + 4) continue;
        EXPECT_EQ(records[i], std::byte{0}) << "byte " << i;
    }
}

// --- The recording format ----------------------------------------------------------------

TEST(EvemuRecording, MalformedLinesAreReportedWithTheirLineNumbers)
{
    const auto errorLine = [](std::string_view text) -> std::size_t {
        const auto parsed = parseEvemuRecording(text);
        const auto* error = std::get_if<EvemuParseError>(&parsed);
        return error ? error->line : 0;
    };
    EXPECT_EQ(errorLine("N: pad\n# note\nE: 0.1 0003 0035\n"), 3u);
    EXPECT_EQ(errorLine("N: pad\nQ: what\n"), 2u);
    EXPECT_EQ(errorLine("E: 1.2.3 0003 0035 1\n"), 1u);
    EXPECT_EQ(errorLine("A: 35 0 x 0 0\n"), 1u);
    EXPECT_EQ(errorLine("B: 03 zz\n"), 1u);
    EXPECT_EQ(errorLine("E: 0.5 0003 0035 12\t# trailing comment\n\n"), 0u);
}

}  // namespace
}  // namespace quorvel::linux_backend
