// The bridge's decoder on real touchpad recordings, and what the recogniser makes of them.
#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <algorithm>
#include <map>

#include "platform/linux/multitouch/RecordingReplay.h"
#include "platform/linux/multitouch/TouchpadClassification.h"
#include "tests/linux/multitouch/TestRecordings.h"

namespace quorvel::linux_backend {
namespace {

using testing::loadRecording;

const char* const alpsDoubleTap = "recorded/AlpsPS2 ALPS GlidePoint.double-tap.events";
const char* const cypressTwoFingers = "recorded/CyPS2 Cypress Trackpad.two_finger_tap.events";
const char* const cypressThreeFingers = "recorded/CyPS2 Cypress Trackpad.three_finger_tap.events";
const char* const synapticsDescription = "recorded/SynPS2 Synaptics TouchPad.desc";
const char* const synapticsPress = "recorded/SynPS2 Synaptics TouchPad.button-rpress.events";
const char* const hpDescription = "recorded/SynPS2 Synaptics TouchPad.hp8470p.desc";
const char* const hpEdgeScroll = "recorded/SynPS2 Synaptics TouchPad.hp8470p.edge-scroll-horizontal.events";
const char* const appleProtocolA = "recorded/bcm5974.three-finger-click.events";

std::vector<DecodedFrame> decoded(const DeviceDescription& description, const std::vector<InputEvent>& events)
{
    auto result = decodeRecording(description, events);
    if (const auto* problem = std::get_if<std::string>(&result)) {
        ADD_FAILURE() << *problem;
        return {};
    }
    return std::get<std::vector<DecodedFrame>>(std::move(result));
}

std::vector<DecodedFrame> decoded(const char* recording)
{
    const auto r = loadRecording(recording);
    return decoded(*r.description, r.events);
}

std::vector<DecodedFrame> decoded(const char* description, const char* events)
{
    return decoded(*loadRecording(description).description, loadRecording(events).events);
}

std::size_t reportCount(const std::vector<InputEvent>& events)
{
    return static_cast<std::size_t>(std::count_if(events.begin(), events.end(), [](const InputEvent& e) {
        return e.type == EV_SYN && e.code == SYN_REPORT;
    }));
}

struct Lifetime {
    std::size_t firstFrame = 0;
    std::size_t lastFrame = 0;
    std::vector<std::int32_t> states;
};

std::map<std::int32_t, Lifetime> lifetimes(const std::vector<DecodedFrame>& frames)
{
    std::map<std::int32_t, Lifetime> result;
    for (std::size_t i = 0; i < frames.size(); ++i) {
        for (const DecodedContact& c : frames[i].contacts) {
            auto [entry, inserted] = result.try_emplace(c.identifier, Lifetime{i, i, {}});
            entry->second.lastFrame = i;
            entry->second.states.push_back(c.state);
        }
    }
    return result;
}

void expectAllWithinSurface(const std::vector<DecodedFrame>& frames)
{
    for (const DecodedFrame& frame : frames) {
        for (const DecodedContact& c : frame.contacts) {
            ASSERT_TRUE(c.x >= 0 && c.x <= 1 && c.y >= 0 && c.y <= 1) << "frame " << frame.frame;
        }
    }
}

// --- Frames, contact lifetimes and timestamps -------------------------------------------

TEST(RecordedFrames, AlpsDoubleTapGivesOneFramePerReportAndTwoShortContacts)
{
    const auto recording = loadRecording(alpsDoubleTap);
    const auto frames = decoded(*recording.description, recording.events);
    ASSERT_EQ(frames.size(), reportCount(recording.events));
    ASSERT_EQ(frames.size(), 15u);
    for (std::size_t i = 0; i < frames.size(); ++i) EXPECT_EQ(frames[i].frame, static_cast<std::int32_t>(i + 1));

    const auto contacts = lifetimes(frames);
    ASSERT_EQ(contacts.size(), 2u);
    const Lifetime& first = contacts.at(18);
    const Lifetime& second = contacts.at(19);
    EXPECT_EQ(first.firstFrame, 0u);
    EXPECT_EQ(first.lastFrame, 6u);
    EXPECT_TRUE(frames[7].contacts.empty()) << "the lift frame lists nothing";
    EXPECT_EQ(second.firstFrame, 8u);
    EXPECT_EQ(second.lastFrame, 13u);
    for (const Lifetime* contact : {&first, &second}) {
        EXPECT_EQ(contact->states.front(), 1);
        EXPECT_TRUE(std::all_of(contact->states.begin() + 1, contact->states.end(), [](int s) { return s == 4; }));
    }
    // Seconds from the first event: a 69 ms tap, then a 60 ms one starting 162 ms in.
    EXPECT_DOUBLE_EQ(frames[0].timestamp, 0.0);
    EXPECT_NEAR(frames[7].timestamp, 0.069362, 1e-9);
    EXPECT_NEAR(frames[8].timestamp, 0.162305, 1e-9);
    EXPECT_NEAR(frames[14].timestamp - frames[8].timestamp, 0.060067, 1e-9);
    // No touch major or multitouch pressure on this pad: every size is 1.
    EXPECT_EQ(frames[0].contacts.front().size, 1.0f);
    EXPECT_NEAR(frames[0].contacts.front().x, 1085.0 / 2000.0, 1e-6);
    EXPECT_NEAR(frames[0].contacts.front().y, 1.0 - 624.0 / 1400.0, 1e-6);
}

TEST(RecordedFrames, SynapticsPositionsBeyondTheDeclaredRangeAreClampedToTheEdge)
{
    const auto frames = decoded(synapticsDescription, synapticsPress);
    ASSERT_FALSE(frames.empty());
    const DecodedContact& first = frames.front().contacts.at(0);
    // y = 4469 lies beyond the declared maximum of 4448: the bottom edge exactly.
    EXPECT_EQ(first.y, 0.0f);
    EXPECT_NEAR(first.x, (1884.0 - 1472.0) / 4000.0, 1e-6);
    EXPECT_EQ(first.size, 48.0f) << "multitouch pressure stands in for the missing touch major";
    expectAllWithinSurface(frames);
}

TEST(RecordedFrames, SynapticsEdgeScrollStaysOnTheSurfaceAtTheLeftEdge)
{
    const auto recording = loadRecording(hpEdgeScroll);
    const auto frames = decoded(*loadRecording(hpDescription).description, recording.events);
    EXPECT_EQ(frames.size(), reportCount(recording.events));
    expectAllWithinSurface(frames);
    float leftmost = 1;
    for (const auto& frame : frames) {
        for (const auto& c : frame.contacts) leftmost = std::min(leftmost, c.x);
    }
    EXPECT_EQ(leftmost, 0.0f) << "x = 1406 is left of the declared minimum 1472";
}

TEST(RecordedFrames, CypressTouchWithoutPositionTakesItsSlotsLastPosition)
{
    // Both recordings come from one session of one pad (tracking IDs 391 to 394): the
    // two-finger tap leaves slot 1 at (862, 268), where touch 394 then starts without a
    // position event of its own.
    auto events = loadRecording(cypressTwoFingers).events;
    const auto three = loadRecording(cypressThreeFingers);
    events.insert(events.end(), three.events.begin(), three.events.end());
    const auto frames = decoded(*three.description, events);
    const auto late = std::find_if(frames.begin(), frames.end(), [](const DecodedFrame& f) {
        return std::any_of(f.contacts.begin(), f.contacts.end(), [](const DecodedContact& c) { return c.identifier == 394; });
    });
    ASSERT_NE(late, frames.end());
    const auto& contact = *std::find_if(late->contacts.begin(), late->contacts.end(),
                                        [](const DecodedContact& c) { return c.identifier == 394; });
    EXPECT_EQ(contact.state, 1);
    EXPECT_NEAR(contact.x, 862.0 / 1600.0, 1e-6);
    EXPECT_NEAR(contact.y, 1.0 - 268.0 / 900.0, 1e-6);
    EXPECT_EQ(contact.size, 65.0f);
}

TEST(RecordedFrames, CypressTouchWhoseSlotNeverHadAPositionIsNotPlacedAtTheOrigin)
{
    const auto frames = decoded(cypressThreeFingers);
    const auto contacts = lifetimes(frames);
    EXPECT_EQ(contacts.count(393), 1u);
    EXPECT_EQ(contacts.count(394), 0u) << "a position of (0, 0) would be a corner";
}

TEST(RecordedFrames, ProtocolADeviceIsRejected)
{
    const auto recording = loadRecording(appleProtocolA);
    EXPECT_EQ(classifyDevice(*recording.description), DeviceKind::protocolAOnly);
    EXPECT_TRUE(std::holds_alternative<std::string>(decodeRecording(*recording.description, recording.events)));
}

// --- Which devices the bridge reads -----------------------------------------------------

TEST(TouchpadClassification, RecordedProtocolBPadsAreTouchpadsWithoutThePointerProperty)
{
    for (const char* name : {alpsDoubleTap, cypressThreeFingers, synapticsDescription, hpDescription}) {
        EXPECT_EQ(classifyDevice(*loadRecording(name).description), DeviceKind::touchpad) << name;
    }
    EXPECT_FALSE(loadRecording(cypressThreeFingers).description->hasProperty(INPUT_PROP_POINTER));
}

TEST(TouchpadClassification, TouchscreensMiceAndPenTabletsAreNotTouchpads)
{
    const DeviceDescription pad = *loadRecording(synapticsDescription).description;
    auto screen = pad;
    screen.setProperty(INPUT_PROP_DIRECT);
    EXPECT_EQ(classifyDevice(screen), DeviceKind::directInput);
    auto mouse = pad;
    mouse.setEventCode(EV_REL, REL_X);
    EXPECT_EQ(classifyDevice(mouse), DeviceKind::notTouchpad);
    auto tablet = pad;
    tablet.setEventCode(EV_KEY, BTN_TOOL_PEN);
    EXPECT_EQ(classifyDevice(tablet), DeviceKind::notTouchpad);
    auto noFingers = pad;
    noFingers.eventBits[EV_KEY][BTN_TOOL_FINGER / 8] &= static_cast<std::uint8_t>(~(1u << (BTN_TOOL_FINGER % 8)));
    EXPECT_EQ(classifyDevice(noFingers), DeviceKind::notTouchpad);
}

// --- What the recogniser makes of the recordings ----------------------------------------

constexpr RecognizerConfiguration defaultTuning{0.3, 0.45, 0.2, 0.28, 0.08};

std::vector<ReplayedEvent> gesturesOf(const char* recording, bool waitForTripleTap)
{
    std::vector<ContactFrame> frames;
    for (const auto& frame : decoded(recording)) frames.push_back(toContactFrame(frame, 0));
    auto events = replayFrames(frames, defaultTuning, [waitForTripleTap](TrackpadCorner) { return waitForTripleTap; });
    std::erase_if(events, [](const ReplayedEvent& e) { return !e.event.asGesture(); });
    return events;
}

TEST(RecordedGestures, EachDerivedCornerDoubleTapIsOneDoubleTapInItsCorner)
{
    const std::pair<const char*, TrackpadCorner> cases[] = {
        {"derived/alps-double-tap.top-left.events", TrackpadCorner::topLeft},
        {"derived/alps-double-tap.bottom-right.events", TrackpadCorner::bottomRight},
    };
    for (const auto& [recording, corner] : cases) {
        const auto gestures = gesturesOf(recording, false);
        ASSERT_EQ(gestures.size(), 1u) << recording;
        const TrackpadGesture gesture = *gestures.front().event.asGesture();
        EXPECT_EQ(gesture.corner, corner) << recording;
        EXPECT_EQ(gesture.pattern, TapPattern::doubleTap) << recording;
        EXPECT_NEAR(gesture.timestamp, 0.222372, 1e-9) << "the end of the second tap";
        EXPECT_DOUBLE_EQ(gestures.front().time, gesture.timestamp) << "released at once";
    }
}

TEST(RecordedGestures, DoubleTapWaitingForATripleTapIsReleasedAfterTheLastFrame)
{
    const auto gestures = gesturesOf("derived/alps-double-tap.top-left.events", true);
    ASSERT_EQ(gestures.size(), 1u);
    EXPECT_NEAR(gestures.front().event.asGesture()->timestamp, 0.222372, 1e-9);
    EXPECT_NEAR(gestures.front().time, 0.222372 + 0.2, 1e-9);
}

TEST(RecordedGestures, MidPadDoubleTapIsNoGesture)
{
    EXPECT_TRUE(gesturesOf(alpsDoubleTap, false).empty());
}

}  // namespace
}  // namespace quorvel::linux_backend
