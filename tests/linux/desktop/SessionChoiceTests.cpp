// What the agent gets on sessions it cannot drive: without an X server nothing is
// readable or selectable, and on GNOME the configured sources are listed but none is
// offered for selection.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/linux/desktop/DesktopServices.h"
#include "platform/linux/desktop/GnomeInputSources.h"
#include "tests/linux/desktop/XvfbServer.h"

namespace quorvel::linux_backend {
namespace {

TEST(SessionChoice, WithoutAnXServerNothingIsReadableOrSelectable)
{
    ::unsetenv("DISPLAY");
    ::unsetenv("XDG_CURRENT_DESKTOP");
    DesktopServices services = connectDesktopServices(g_main_context_default());
    EXPECT_EQ(services.workspace->frontmostApplication(), std::nullopt);
    EXPECT_TRUE(services.workspace->runningApplications().empty());
    EXPECT_EQ(services.pasteboard->itemCount(), std::nullopt);
    EXPECT_FALSE(services.pasteboard->setPlainText("snippet"));
    EXPECT_EQ(services.keyboardInputSources->keyboardInputSourceList(false), std::nullopt);
    EXPECT_EQ(services.preferenceReader->copyAppValue("AppleSymbolicHotKeys", "com.apple.symbolichotkeys"),
              std::nullopt);
    EXPECT_FALSE(services.applicationBundles->scanLocations().roots.empty());
}

TEST(SessionChoice, KeyboardLayoutsAreSelectedThroughXOnlyOnX11Sessions)
{
    const auto server = testing::XvfbServer::start();
    if (!server) {
        GTEST_SKIP() << "Xvfb is not available";
    }
    ::setenv("DISPLAY", server->displayName().c_str(), 1);
    ::unsetenv("XDG_CURRENT_DESKTOP");
    ::unsetenv("XDG_SESSION_TYPE");
    ::unsetenv("WAYLAND_DISPLAY");
    {
        DesktopServices x11 = connectDesktopServices(g_main_context_default());
        EXPECT_TRUE(x11.keyboardInputSources->keyboardInputSourceList(false).has_value());
        EXPECT_TRUE(x11.pasteboard->setPlainText("through X11"));
    }
    ::setenv("WAYLAND_DISPLAY", "wayland-0", 1);
    {
        DesktopServices wayland = connectDesktopServices(g_main_context_default());
        EXPECT_EQ(wayland.keyboardInputSources->keyboardInputSourceList(false), std::nullopt);
        EXPECT_TRUE(wayland.pasteboard->setPlainText("through Xwayland"));
    }
    ::unsetenv("WAYLAND_DISPLAY");
    ::unsetenv("DISPLAY");
}

TEST(SessionChoice, GnomeSourcesAreListedButNotSelectable)
{
    using Entries = std::vector<std::pair<std::string, std::string>>;
    GnomeInputSources sources([](const std::string& key) -> std::optional<Entries> {
        if (key == "sources") return Entries{{"xkb", "us"}, {"xkb", "de+nodeadkeys"}, {"ibus", "anthy"}};
        if (key == "mru-sources") return Entries{{"ibus", "anthy"}, {"xkb", "us"}};
        return std::nullopt;
    });
    const auto list = sources.keyboardInputSourceList(false);
    ASSERT_TRUE(list.has_value());
    ASSERT_EQ(list->size(), 3u);
    EXPECT_EQ((*list)[1].identifier, "xkb:de+nodeadkeys");
    for (const auto& source : *list) {
        EXPECT_EQ(source.isEnabled, true);
        EXPECT_EQ(source.isSelectCapable, false);
    }
    EXPECT_EQ(sources.currentKeyboardInputSource()->identifier, "ibus:anthy");

    GnomeInputSources unset([](const std::string&) -> std::optional<Entries> { return std::nullopt; });
    EXPECT_EQ(unset.keyboardInputSourceList(false), std::nullopt);
    EXPECT_EQ(unset.currentKeyboardInputSource(), std::nullopt);
}

}  // namespace
}  // namespace quorvel::linux_backend
