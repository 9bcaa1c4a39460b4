// Keyboard layouts of an X11 session under Xvfb: the XKB groups as input sources,
// the current one, and selecting by group lock.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/linux/desktop/XkbInputSources.h"
#include "tests/linux/desktop/XvfbServer.h"

namespace quorvel::linux_backend {
namespace {

class XkbSession : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        server_ = testing::XvfbServer::start();
        if (server_) {
            const std::string command =
                "setxkbmap -display " + server_->displayName() + " -layout us,de -variant ,nodeadkeys 2>/dev/null";
            layoutsSet_ = std::system(command.c_str()) == 0;
        }
    }
    static void TearDownTestSuite() { server_.reset(); }
    void SetUp() override
    {
        if (!server_) {
            GTEST_SKIP() << "Xvfb is not available";
        }
        if (!layoutsSet_) {
            GTEST_SKIP() << "setxkbmap is not available";
        }
        sources_ = XkbInputSources::connect(server_->displayName());
        ASSERT_NE(sources_, nullptr);
    }

    std::optional<std::string> currentIdentifier()
    {
        const auto current = sources_->currentKeyboardInputSource();
        return current ? current->identifier : std::nullopt;
    }

    static std::unique_ptr<testing::XvfbServer> server_;
    static bool layoutsSet_;
    std::unique_ptr<XkbInputSources> sources_;
};
std::unique_ptr<testing::XvfbServer> XkbSession::server_;
bool XkbSession::layoutsSet_ = false;

TEST_F(XkbSession, ListsEveryLayoutGroupAsASelectableSource)
{
    const auto list = sources_->keyboardInputSourceList(false);
    ASSERT_TRUE(list.has_value());
    ASSERT_EQ(list->size(), 2u);
    EXPECT_EQ((*list)[0].identifier, "xkb:us");
    EXPECT_EQ((*list)[1].identifier, "xkb:de+nodeadkeys");
    for (const auto& source : *list) {
        EXPECT_EQ(source.isEnabled, true);
        EXPECT_EQ(source.isSelectCapable, true);
    }
    EXPECT_EQ(sources_->keyboardInputSourceList(true), list);
}

TEST_F(XkbSession, SelectingLocksTheGroupAndCyclesBack)
{
    const auto list = *sources_->keyboardInputSourceList(false);
    sources_->select(list[0]);
    EXPECT_EQ(currentIdentifier(), "xkb:us");
    sources_->select(list[1]);
    EXPECT_EQ(currentIdentifier(), "xkb:de+nodeadkeys");
    sources_->select(list[0]);
    EXPECT_EQ(currentIdentifier(), "xkb:us");
}

TEST_F(XkbSession, ForeignOrStaleReferencesSelectNothing)
{
    const auto list = *sources_->keyboardInputSourceList(false);
    sources_->select(list[1]);
    sources_->select({"xkb-group:7", "xkb:fr", true, true});
    sources_->select({"xkb-group:0x", std::nullopt, true, true});
    sources_->select({"ibus:anthy", std::nullopt, true, true});
    EXPECT_EQ(currentIdentifier(), "xkb:de+nodeadkeys");
}

}  // namespace
}  // namespace quorvel::linux_backend
