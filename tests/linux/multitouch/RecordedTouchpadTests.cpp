// Real touchpad recordings through the bridge's decoder, its device classification and the recogniser.
#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <stdexcept>

#include "platform/linux/multitouch/EvemuRecording.h"
#include "platform/linux/multitouch/MultitouchDecoder.h"
#include "platform/linux/multitouch/RecordingReplay.h"
#include "platform/linux/multitouch/TouchpadClassification.h"

namespace quorvel::linux_backend {
namespace {

const char* const alpsDoubleTap = "recorded/AlpsPS2 ALPS GlidePoint.double-tap.events";
const char* const cypressTwo = "recorded/CyPS2 Cypress Trackpad.two_finger_tap.events";
const char* const cypressThree = "recorded/CyPS2 Cypress Trackpad.three_finger_tap.events";
const char* const synaptics = "recorded/SynPS2 Synaptics TouchPad.desc";
const char* const hp = "recorded/SynPS2 Synaptics TouchPad.hp8470p.desc";
const char* const topLeftTaps = "derived/alps-double-tap.top-left.events";

// Missing or unreadable data fails the test, never skips it.
EvemuRecording load(const char* name)
{
    const auto path = std::filesystem::path(QUORVEL_TESTDATA_DIR) / "touchpads" / name;
    std::ifstream in(path);
    if (!in) throw std::runtime_error("test data missing: " + path.string());
    std::ostringstream text;
    text << in.rdbuf();
    auto parsed = parseEvemuRecording(text.str());
    if (const auto* error = std::get_if<EvemuParseError>(&parsed)) {
        throw std::runtime_error(path.string() + ":" + std::to_string(error->line) + ": " + error->message);
    }
    return std::get<EvemuRecording>(std::move(parsed));
}

// The events of `recordings` one after another, read as the device `description` (else the last
// recording's own header) describes.
std::vector<DecodedFrame> decode(const std::vector<const char*>& recordings, const char* description = nullptr)
{
    std::vector<InputEvent> events;
    for (const char* name : recordings) {
        const auto more = load(name).events;
        events.insert(events.end(), more.begin(), more.end());
    }
    auto result = decodeRecording(load(description ? description : recordings.back()).description.value(), events);
    if (const auto* problem = std::get_if<std::string>(&result)) throw std::runtime_error(*problem);
    return std::get<std::vector<DecodedFrame>>(std::move(result));
}

// "id:first-last " per contact (frame indexes), checking on the way that each contact is listed in
// every frame between, with state 1 first and 4 afterwards, and stays on the surface.
std::string lifetimes(const std::vector<DecodedFrame>& frames)
{
    std::map<std::int32_t, std::pair<std::size_t, std::size_t>> seen;
    for (std::size_t i = 0; i < frames.size(); ++i) {
        for (const DecodedContact& c : frames[i].contacts) {
            const auto [entry, isNew] = seen.try_emplace(c.identifier, i, i);
            EXPECT_EQ(c.state, isNew ? 1 : 4) << "contact " << c.identifier << " in frame " << i;
            EXPECT_EQ(entry->second.second + (isNew ? 0 : 1), i) << "contact " << c.identifier << " came back";
            EXPECT_TRUE(c.x >= 0 && c.x <= 1 && c.y >= 0 && c.y <= 1) << "contact " << c.identifier << " in frame " << i;
            entry->second.second = i;
        }
    }
    std::string result;
    for (const auto& [id, span] : seen) result += std::to_string(id) + ":" + std::to_string(span.first) + "-" + std::to_string(span.second) + " ";
    return result;
}

struct Probe {
    std::size_t frame;
    double timestamp;  // seconds from the first event
    std::int32_t id;   // -1: the frame lists no contact
    double x = 0, y = 0;
    float size = 0;
};

struct RecordingCase {
    std::vector<const char*> events;
    const char* description;
    std::size_t frames;  // one per SYN_REPORT
    std::string lifetimes;
    std::vector<Probe> probes;
};

TEST(RecordedTouchpads, FramesContactLifetimesPositionsAndTimestamps)
{
    const RecordingCase cases[] = {
        // A 69 ms tap, then a 60 ms one 162 ms in; no touch major or pressure, so size 1.
        {{alpsDoubleTap}, nullptr, 15, "18:0-6 19:8-13 ",
         {{0, 0.0, 18, 1085.0 / 2000, 1 - 624.0 / 1400, 1.0f}, {7, 0.069362, -1}, {14, 0.222372, -1}}},
        // y = 4469 lies beyond the declared maximum 4448: the bottom edge exactly. Pressure stands in for size.
        {{"recorded/SynPS2 Synaptics TouchPad.button-rpress.events"}, synaptics, 35, "117:0-33 ",
         {{0, 0.00001, 117, (1884.0 - 1472) / 4000, 0.0, 48.0f}}},
        // x = 1406 is left of the declared minimum 1472: the left edge exactly.
        {{"recorded/SynPS2 Synaptics TouchPad.hp8470p.edge-scroll-horizontal.events"}, hp, 693, "2250:0-270 2251:158-158 2252:227-229 2253:278-338 2254:343-688 ",
         {{229, 3.306431, 2250, 0.0, 1 - (4570.0 - 1408) / 3508, 1.0f}}},
        // One session of one pad: the two-finger tap leaves slot 1 at (862, 268), where touch 394
        // then starts without a position event of its own.
        {{cypressTwo, cypressThree}, nullptr, 14, "391:0-6 392:0-6 393:8-12 394:8-12 ",
         {{8, 26.195382, 394, 862.0 / 1600, 1 - 268.0 / 900, 65.0f}}},
        // Alone, that slot never had a position: the touch is not listed rather than put in a corner.
        {{cypressThree}, nullptr, 6, "393:0-4 ", {}},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.events.back());
        const auto frames = decode(row.events, row.description);
        ASSERT_EQ(frames.size(), row.frames);
        EXPECT_EQ(lifetimes(frames), row.lifetimes);
        for (std::size_t i = 0; i < frames.size(); ++i) {
            EXPECT_EQ(frames[i].frame, static_cast<std::int32_t>(i + 1));
            EXPECT_GE(frames[i].timestamp, i == 0 ? 0.0 : frames[i - 1].timestamp);
        }
        for (const Probe& p : row.probes) {
            const DecodedFrame& frame = frames.at(p.frame);
            EXPECT_NEAR(frame.timestamp, p.timestamp, 1e-9) << "frame " << p.frame;
            if (p.id < 0) {
                EXPECT_TRUE(frame.contacts.empty()) << "frame " << p.frame;
                continue;
            }
            const auto c = std::find_if(frame.contacts.begin(), frame.contacts.end(),
                                        [&](const DecodedContact& d) { return d.identifier == p.id; });
            ASSERT_NE(c, frame.contacts.end()) << "contact " << p.id << " in frame " << p.frame;
            EXPECT_NEAR(c->x, p.x, 1e-6);
            EXPECT_NEAR(c->y, p.y, 1e-6);
            EXPECT_EQ(c->size, p.size);
        }
    }
}

TEST(RecordedTouchpads, ClassificationReadsProtocolBPadsOnly)
{
    const DeviceDescription pad = load(synaptics).description.value();
    auto screen = pad, mouse = pad, tablet = pad;
    screen.setProperty(INPUT_PROP_DIRECT);
    mouse.setEventCode(EV_REL, REL_X);
    tablet.setEventCode(EV_KEY, BTN_TOOL_PEN);
    const auto cypress = load(cypressThree).description.value();
    EXPECT_FALSE(cypress.hasProperty(INPUT_PROP_POINTER)) << "a touchpad without the pointer property";
    const auto appleProtocolA = load("recorded/bcm5974.three-finger-click.events");
    using enum DeviceKind;
    const std::pair<DeviceDescription, DeviceKind> cases[] = {
        {pad, touchpad}, {load(hp).description.value(), touchpad}, {load(alpsDoubleTap).description.value(), touchpad},
        {cypress, touchpad}, {screen, directInput}, {mouse, notTouchpad}, {tablet, notTouchpad},
        {appleProtocolA.description.value(), protocolAOnly},
    };
    for (const auto& [description, kind] : cases) EXPECT_EQ(classifyDevice(description), kind) << description.name;
    EXPECT_TRUE(std::holds_alternative<std::string>(decodeRecording(*appleProtocolA.description, appleProtocolA.events)));
}

// The replay command's tests show each recording's gestures released at once; held for a triple
// tap, the double tap leaves once no third tap can come.
TEST(RecordedTouchpads, AHeldDoubleTapIsReleasedTheTripleTapWindowAfterTheSecondTap)
{
    std::vector<ContactFrame> frames;
    for (const auto& frame : decode({topLeftTaps})) frames.push_back(toContactFrame(frame, 0));
    auto events = replayFrames(frames, RecognizerConfiguration{0.3, 0.45, 0.2, 0.28, 0.08},
                               [](TrackpadCorner) { return true; });
    std::erase_if(events, [](const ReplayedEvent& e) { return !e.event.asGesture(); });
    ASSERT_EQ(events.size(), 1u);
    const TrackpadGesture gesture = *events[0].event.asGesture();
    EXPECT_EQ(gesture.corner, TrackpadCorner::topLeft);
    EXPECT_EQ(gesture.pattern, TapPattern::doubleTap);
    EXPECT_NEAR(gesture.timestamp, 0.222372, 1e-9) << "the end of the second tap";
    EXPECT_NEAR(events[0].time, 0.222372 + 0.2, 1e-9);
}

// A pad that declares an axis without range puts its contacts in the middle, away from the corners.
TEST(MultitouchDecoder, AnAxisWithoutRangeReadsAsTheMiddle)
{
    TouchpadAxes axes;
    axes.x = AbsoluteAxis{0, 100, 0, 0, 0};
    axes.y = AbsoluteAxis{50, 50, 0, 0, 0};
    MultitouchDecoder decoder(axes);
    for (const auto& [code, value] :
         {std::pair{ABS_MT_TRACKING_ID, 1}, {ABS_MT_POSITION_X, 0}, {ABS_MT_POSITION_Y, 60}})
        decoder.feed({0, 0, EV_ABS, static_cast<std::uint16_t>(code), value});
    const DecodedFrame* frame = decoder.feed({0, 0, EV_SYN, SYN_REPORT, 0});
    ASSERT_TRUE(frame && frame->contacts.size() == 1);
    EXPECT_EQ(frame->contacts[0].y, 0.5f);
}

}  // namespace
}  // namespace quorvel::linux_backend
