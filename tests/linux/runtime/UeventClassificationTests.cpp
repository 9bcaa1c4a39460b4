#include <gtest/gtest.h>

#include "platform/linux/runtime/system_events/UeventClassification.h"

namespace quorvel::linux_backend {
namespace {

using platform::SystemEvent;

TEST(UeventClassification, DrmChangeIsADisplayChangeButNotItsOtherActions)
{
    EXPECT_EQ(classifyUevent({"change", "drm", "/dev/dri/card0", false}), SystemEvent::displayChange);
    EXPECT_EQ(classifyUevent({"change", "drm", "", false}), SystemEvent::displayChange);
    EXPECT_EQ(classifyUevent({"add", "drm", "/dev/dri/card1", false}), std::nullopt);
    EXPECT_EQ(classifyUevent({"change", "input", "/dev/input/event3", false}), std::nullopt);
}

TEST(UeventClassification, TouchpadEventNodesComingOrGoingAreDeviceChanges)
{
    EXPECT_EQ(classifyUevent({"add", "input", "/dev/input/event7", true}), SystemEvent::deviceChange);
    EXPECT_EQ(classifyUevent({"remove", "input", "/dev/input/event7", true}), SystemEvent::deviceChange);
    // The same touchpad's other nodes, other input devices, and other actions do not count.
    EXPECT_EQ(classifyUevent({"add", "input", "", true}), std::nullopt);
    EXPECT_EQ(classifyUevent({"add", "input", "/dev/input/mouse2", true}), std::nullopt);
    EXPECT_EQ(classifyUevent({"add", "input", "/dev/input/event4", false}), std::nullopt);
    EXPECT_EQ(classifyUevent({"change", "input", "/dev/input/event7", true}), std::nullopt);
}

}  // namespace
}  // namespace quorvel::linux_backend
