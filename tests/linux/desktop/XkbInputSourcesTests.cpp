// Keyboard layouts of an X11 session under Xvfb as XKB groups, selected by group lock.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/linux/desktop/XkbInputSources.h"
#include "tests/linux/desktop/XvfbServer.h"

namespace quorvel::linux_backend {
namespace {

using XkbSession = testing::XvfbTest;

TEST_F(XkbSession, ListsEveryGroupAndCyclesThroughThemByReference)
{
    ASSERT_TRUE(server) << "Xvfb did not start";
    const std::string layouts = "setxkbmap -display " + server->displayName + " -layout us,de -variant ,nodeadkeys";
    ASSERT_EQ(std::system(layouts.c_str()), 0);
    const auto sources = XkbInputSources::connect(server->displayName);
    ASSERT_NE(sources, nullptr);
    const auto current = [&] { return sources->currentKeyboardInputSource().value_or(platform::InputSource{}); };

    const auto list = sources->keyboardInputSourceList(false);
    ASSERT_TRUE(list.has_value());
    EXPECT_EQ(sources->keyboardInputSourceList(true), list);
    ASSERT_EQ(list->size(), 2u);
    EXPECT_EQ((*list)[0].identifier, "xkb:us");
    EXPECT_EQ((*list)[1].identifier, "xkb:de+nodeadkeys");
    for (const auto& source : {(*list)[1], (*list)[0], (*list)[1]}) {
        EXPECT_TRUE(source.isEnabled == true && source.isSelectCapable == true);
        sources->select(source);
        EXPECT_EQ(current(), source);
    }
    // Foreign or stale references select nothing.
    sources->select({"xkb-group:7", "xkb:fr", true, true});
    sources->select({"xkb-group:0x", std::nullopt, true, true});
    sources->select({"ibus:anthy", std::nullopt, true, true});
    EXPECT_EQ(current(), (*list)[1]);
}

}  // namespace
}  // namespace quorvel::linux_backend
