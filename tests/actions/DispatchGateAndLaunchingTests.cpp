#include <functional>
#include <tuple>

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

struct FailedAction {
    std::function<void(FakeActionServices&)> arrange;
    ActionKind::Value kind;
    std::optional<platform::ProcessExit> exit;  // how the started process ends, if it does
    const char* logged;               // nothing logged when null
};

// What a person is told when an action fails: one log line each, naming it in escaped form (the
// agent's end-to-end test shows the others).
TEST(ActionFailures, EachFailureIsOneErrorLineNamingWhatFailedInEscapedForm)
{
    const auto none = [](FakeActionServices&) {};
    const FailedAction cases[] = {
        {none, Kind::OpenApp{"Missing App", std::nullopt}, {},
         R"(No application with the name "Missing App" (no ID given))"},
        {[](auto& f) { f.workspace.unparsableTexts.insert("https://a\x1b[2J\"b"); }, Kind::OpenURL{"a\x1b[2J\"b"}, {},
         R"(Could not open the URL "https://a\x1b[2J\"b": it is not a valid URL)"},
        {[](auto& f) { f.workspace.refusesURLs = true; }, Kind::OpenURL{"example.org"}, {},
         R"(Could not open the URL "https://example.org": the desktop refused to open it)"},
        {[](auto& f) { f.processLauncher.canLaunch = false; }, Kind::RunShortcut{std::string("a\0b", 3)}, {},
         R"(Could not start shortcut "a\x00b": cannot start processes here)"},
        {none, Kind::RunShortcut{"backup"}, platform::ProcessExit{0, {}, ""}, nullptr},
        {[](auto& f) { f.pasteboard.refusesText = true; }, Kind::TextSnippet{"Regards"}, {},
         "Could not paste the snippet: the clipboard is not available"},
    };
    for (std::size_t row = 0; row < std::size(cases); ++row) {
        SCOPED_TRACE(row);
        FakeActionServices fakes;
        cases[row].arrange(fakes);
        run(fakes, cases[row].kind);
        if (cases[row].exit) fakes.processLauncher.exitHandlers.at(0)(*cases[row].exit);
        ASSERT_EQ(fakes.log.records.size(), cases[row].logged ? 1u : 0u);
        if (!cases[row].logged) continue;
        const LogRecord& record = fakes.log.records[0];
        EXPECT_EQ(std::tie(record.level, record.category, record.message),
                  std::tuple(platform::LogLevel::error, "Actions", cases[row].logged));
    }
}

}  // namespace quorvel::testing
