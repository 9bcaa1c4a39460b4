#include <map>

#include "tests/actions/ActionTestSupport.h"

namespace quorvel::testing {
namespace {

const std::map<std::string, bool> promptOptions{{"AXTrustedCheckOptionPrompt", true}};

// Kinds that synthesise input: without permission they prompt once, beep once and
// leave no trace. Spotlight is gated only when it would press its shortcut.
class GatedActionTest : public ActionTest, public ::testing::WithParamInterface<ActionKind::Value> {};

TEST_P(GatedActionTest, WithoutPermissionPromptsBeepsAndDoesNothing)
{
    setSpotlightHotKey(PropertyValue{true}, {integer(65535), integer(49), integer(0x100000)});
    const auto changeCountBefore = fakes.pasteboard.count;
    fakes.accessibility.trusted = false;

    run(GetParam());

    EXPECT_EQ(fakes.accessibility.promptRequests, std::vector{promptOptions});
    EXPECT_EQ(fakes.alertSound.beeps, 1);
    EXPECT_TRUE(fakes.eventTap.nothingPosted());
    EXPECT_EQ(fakes.pasteboard.count, changeCountBefore);
    EXPECT_TRUE(fakes.workspace.openedApplications.empty());
    EXPECT_EQ(fakes.mainQueue.pendingScheduledCount(), 0u);
}

INSTANTIATE_TEST_SUITE_P(EachGatedKind, GatedActionTest,
                         ::testing::Values(ActionKind::ShowAppSwitcher{}, ActionKind::Media{MediaCommand::playPause},
                                           ActionKind::Mute{}, ActionKind::ShowSpotlightSearch{},
                                           ActionKind::TextSnippet{"hello"}));

TEST_F(ActionTest, UngatedKindsWorkWithoutPermission)
{
    fakes.accessibility.trusted = false;
    fakes.workspace.applications = {{"org.example.editor", "/apps/editor"}, {"org.example.mail", "/apps/mail"}};
    fakes.workspace.front = platform::RunningApplication{"org.example.editor"};
    fakes.workspace.running = {{"org.example.editor"}, {"org.example.mail"}};
    fakes.inputSources.sources = {{FakeKeyboardInputSources::selectable("us")}};

    run(ActionKind::SwitchApps{});
    run(ActionKind::NextInputSource{});
    run(ActionKind::OpenApp{"Editor", "org.example.editor"});
    run(ActionKind::OpenURL{"example.com"});
    run(ActionKind::RunShortcut{"Morning"});
    run(ActionKind::ShowSpotlightSearch{});  // no hot key: opens the application

    EXPECT_TRUE(fakes.accessibility.promptRequests.empty());
    EXPECT_EQ(fakes.alertSound.beeps, 0);
    EXPECT_EQ(fakes.workspace.openedApplications,
              (std::vector<std::string>{"/apps/mail", "/apps/editor", "/System/Library/CoreServices/Spotlight.app"}));
    EXPECT_EQ(fakes.inputSources.selected.size(), 1u);
    EXPECT_EQ(fakes.workspace.openedURLs, std::vector<std::string>{"https://example.com"});
    EXPECT_EQ(fakes.processLauncher.launches.size(), 1u);
}

TEST_F(ActionTest, GateIsAskedAgainOnEveryGesture)
{
    fakes.accessibility.trusted = false;
    run(ActionKind::Mute{});
    run(ActionKind::Mute{});
    fakes.accessibility.trusted = true;  // the user granted access
    run(ActionKind::Mute{});
    EXPECT_EQ(fakes.accessibility.promptRequests.size(), 2u);
    EXPECT_EQ(fakes.alertSound.beeps, 2);
    EXPECT_EQ(fakes.eventTap.systemDefinedEvents.size(), 2u);
}

TEST_F(ActionTest, RunShortcutStartsTheToolWithTheNameAsOneArgument)
{
    run(ActionKind::RunShortcut{"Say \"hi\"; rm -rf ~"});
    fakes.processLauncher.canLaunch = false;
    run(ActionKind::RunShortcut{""});

    EXPECT_EQ(fakes.processLauncher.launches,
              (std::vector<LaunchRequest>{{"/usr/bin/shortcuts", {"run", "Say \"hi\"; rm -rf ~"}},
                                          {"/usr/bin/shortcuts", {"run", ""}}}));
    EXPECT_EQ(fakes.alertSound.beeps, 0);  // a failed launch goes unreported
}

}  // namespace
}  // namespace quorvel::testing
