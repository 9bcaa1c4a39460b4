// The agent's state as bus properties and back, as `quorvel status` reads it: every property
// survives the trip, text that is not UTF-8 is repaired rather than refused, and a change
// announces only what changed. (The values of single properties, as GetAll gives them, the
// real status's tests read.)
#include <gtest/gtest.h>

#include "platform/linux/bus/AgentBusProperties.h"

namespace quorvel::linux_backend {
namespace {

TEST(AgentBusProperties, EveryPropertySurvivesTheTripAndNamesThatAreNotUtf8AreRepaired)
{
    platform::AgentStatus sent{true, "Top Left Double Tap",
                               platform::PublishedGesture{"topLeft", "doubleTap", 1736085802123456},
                               "8D5525D9-46D5-40F6-B278-E4E835F16A58", "/home/ada/.config/Quorvel/configuration.json",
                               "file", "why", {{"Pad\xff", "/dev/input/event5"}}, true};
    // Every property differs from the defaults: the change there and back announces them all.
    platform::AgentStatus received;
    readAgentProperties(changedAgentProperties({}, sent).get(), received);
    const platform::AgentStatus readBack = received;
    readAgentProperties(changedAgentProperties(sent, {}).get(), received);  // no gesture reads back as none
    sent.touchpads[0].name = "Pad\uFFFD";
    EXPECT_EQ(readBack, sent);
    EXPECT_EQ(received, platform::AgentStatus{});
}

TEST(AgentBusProperties, AChangeAnnouncesOnlyThePropertiesThatChanged)
{
    platform::AgentStatus paused;
    EXPECT_EQ(changedAgentProperties(paused, paused), nullptr);
    paused.actionsSuppressed = true;
    const GVariantPtr changes = changedAgentProperties({}, paused);
    ASSERT_NE(changes, nullptr);
    EXPECT_EQ(g_variant_n_children(changes.get()), 1u);
    EXPECT_TRUE(g_variant_lookup(changes.get(), "ActionsSuppressed", "b", nullptr));
}

}  // namespace
}  // namespace quorvel::linux_backend
