#include "tests/actions/ActionTestSupport.h"

namespace quorvel::testing {

// Without permission, the five kinds that post input each prompt, beep and leave no
// trace; the other kinds still work.
TEST_F(ActionTest, TheGateRefusesExactlyTheKindsThatPostInput)
{
    fakes.accessibility.trusted = false;
    setSpotlightHotKey(fakes, hotKey({true}, {{65535}, {49}, {0x100000}}));
    fakes.workspace.applications = {{"org.example.editor", "/apps/editor"}, {"org.example.mail", "/apps/mail"}};
    fakes.workspace.running = {{"org.example.mail"}};
    fakes.inputSources.sources = {{FakeKeyboardInputSources::selectable("us")}};
    fakes.processLauncher.canLaunch = false;  // goes unreported
    for (const ActionKind::Value& kind : std::vector<ActionKind::Value>{
             Kind::ShowAppSwitcher{}, Kind::Media{MediaCommand::playPause}, Kind::Mute{}, Kind::ShowSpotlightSearch{},
             Kind::TextSnippet{"hello"}, Kind::SwitchApps{}, Kind::OpenApp{"Editor", "org.example.editor"},
             Kind::NextInputSource{}, Kind::OpenURL{"example.com"}, Kind::RunShortcut{"Say \"hi\"; rm -rf ~"}}) {
        run(kind);
    }
    EXPECT_EQ(fakes.accessibility.promptRequests,
              std::vector(5, std::map<std::string, bool>{{"AXTrustedCheckOptionPrompt", true}}));
    EXPECT_EQ(fakes.alertSound.beeps, 5);
    EXPECT_TRUE(fakes.eventTap.nothingPosted());
    EXPECT_EQ(fakes.workspace.openedApplications, (Strings{"/apps/mail", "/apps/editor"}));
    EXPECT_EQ(fakes.inputSources.selected, std::vector{FakeKeyboardInputSources::selectable("us")});
    EXPECT_EQ(fakes.workspace.openedURLs, Strings{"https://example.com"});
    EXPECT_EQ(fakes.processLauncher.launches,
              (std::vector<LaunchRequest>{{"/usr/bin/shortcuts", {"run", "Say \"hi\"; rm -rf ~"}}}));
}

TEST_F(ActionTest, OpenAppTriesTheIdentifierThenTheFirstExactNameInCatalogOrder)
{
    fakes.applicationBundles.locations = {{"/Applications"}, "app", {}};
    fakes.applicationBundles.addApplication("/Applications/Notes.app", "org.example.notes", "Notes");
    fakes.applicationBundles.addApplication("/Applications/Other Notes.app", "org.other.notes", "Notes");
    fakes.applicationBundles.addApplication("/Applications/Safari.app", "com.apple.Safari", "Safari");
    fakes.workspace.applications = {{"org.example.mail", "/apps/mail"}};
    run(Kind::OpenApp{"Notes", "org.example.mail"});
    run(Kind::OpenApp{"Safari", "com.example.gone"});
    run(Kind::OpenApp{"safari", std::nullopt});   // names match case-sensitively
    run(Kind::OpenApp{"Safari ", std::nullopt});  // and untrimmed
    run(Kind::OpenApp{"Notes", std::nullopt});
    EXPECT_EQ(fakes.workspace.openedApplications,
              (Strings{"/apps/mail", "/Applications/Safari.app", "/Applications/Notes.app"}));
}

// Typed text, what reaches the URL parser, and whether it is opened (else a beep).
TEST(OpenURL, TrimsAddsHttpsWithoutSchemeAndBeepsOnEmptyOrRejectedText)
{
    const std::vector<std::tuple<std::string, std::optional<std::string>, bool>> cases{
        {"  example.com \n", "https://example.com", true}, {"\u00A0example.com\u2028", "https://example.com", true},
        {"\t\r\nexample.com/a b\n\n", "https://example.com/a b", true},
        {"ftp://host/x", "ftp://host/x", true}, {"mailto:me@example.com", "https://mailto:me@example.com", true},
        {"exa mple", "https://exa mple", false}, {"", std::nullopt, false}, {" \t\n\r\u3000", std::nullopt, false}};
    for (const auto& [typed, parsed, opened] : cases) {
        FakeActionServices fakes;
        fakes.workspace.unparsableTexts = {"https://exa mple"};
        run(fakes, Kind::OpenURL{typed});
        EXPECT_EQ(fakes.workspace.parsedTexts, parsed ? Strings{*parsed} : Strings{}) << typed;
        EXPECT_EQ(fakes.workspace.openedURLs, opened ? Strings{*parsed} : Strings{}) << typed;
        EXPECT_EQ(fakes.alertSound.beeps, opened ? 0 : 1) << typed;
    }
}

}  // namespace quorvel::testing
