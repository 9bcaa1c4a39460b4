// What a person is told when something fails: one log line per failed action, a reload on
// request, and a refused start that says truthfully why.
#include <gmock/gmock.h>

#include <functional>

#include "tests/actions/ActionTestSupport.h"
#include "tests/helper/RunnerTestSupport.h"

namespace quorvel::testing {
namespace {

using platform::ProcessExit;

struct FailedAction {
    const char* what;
    std::function<void(FakeActionServices&)> arrange;
    ActionKind::Value kind;
    std::optional<ProcessExit> exit;  // how the started process ends, if it does
    std::vector<std::string> logged;
};

TEST(ActionFailures, EachFailureIsOneErrorLineNamingWhatFailedInEscapedForm)
{
    const auto none = [](FakeActionServices&) {};
    const FailedAction cases[] = {
        {"unknown ID and name", none, Kind::OpenApp{"Missing App", "org.example.Missing"}, {},
         {R"(No application with the ID "org.example.Missing" or the name "Missing App")"}},
        {"unknown name", none, Kind::OpenApp{"Missing App", std::nullopt}, {},
         {R"(No application with the name "Missing App" (no ID given))"}},
        {"blank URL", none, Kind::OpenURL{" \n"}, {}, {R"(Could not open the URL " \n": there is no text)"}},
        {"unparsable URL", [](auto& f) { f.workspace.unparsableTexts.insert("https://a\x1b[2J\"b"); },
         Kind::OpenURL{"a\x1b[2J\"b"}, {}, {R"(Could not open the URL "https://a\x1b[2J\"b": it is not a valid URL)"}},
        {"refused URL", [](auto& f) { f.workspace.refusesURLs = true; }, Kind::OpenURL{"example.org"}, {},
         {R"(Could not open the URL "https://example.org": the desktop refused to open it)"}},
        {"opened URL", none, Kind::OpenURL{"example.org"}, {}, {}},
        {"unstartable shortcut", [](auto& f) { f.processLauncher.canLaunch = false; },
         Kind::RunShortcut{std::string("a\0b", 3)}, {},
         {R"(Could not start shortcut "a\x00b": cannot start processes here)"}},
        {"failed shortcut", none, Kind::RunShortcut{"backup"}, ProcessExit{3, std::nullopt, ""},
         {R"(Shortcut "backup" ended with status 3)"}},
        {"killed shortcut", none, Kind::RunShortcut{"backup"}, ProcessExit{std::nullopt, 9, "SIGKILL"},
         {R"(Shortcut "backup" was ended by signal 9 (SIGKILL))"}},
        {"shortcut done", none, Kind::RunShortcut{"backup"}, ProcessExit{0, std::nullopt, ""}, {}},
        {"no clipboard", [](auto& f) { f.pasteboard.refusesText = true; }, Kind::TextSnippet{"Regards"}, {},
         {"Could not paste the snippet: the clipboard is not available"}},
    };
    for (const auto& [what, arrange, kind, exit, logged] : cases) {
        FakeActionServices fakes;
        arrange(fakes);
        run(fakes, kind);
        if (exit) {
            ASSERT_EQ(fakes.processLauncher.exitHandlers.size(), 1u) << what;
            fakes.processLauncher.exitHandlers.front()(*exit);
        }
        EXPECT_EQ(fakes.log.messages(), logged) << what;
        for (const LogRecord& record : fakes.log.records) {
            EXPECT_EQ(record.level, platform::LogLevel::error) << what;
            EXPECT_EQ(record.category, "Actions") << what;
        }
    }
}

struct RunnerOnRequest : ::testing::Test {
    void SetUp() override { resetProcessState(); }
    void TearDown() override { resetProcessState(); }

    TemporaryConfigHome home;
    FakeHelperServices fakes{QUORVEL_TEST_FRAMEWORK_PATH};
};

TEST_F(RunnerOnRequest, ReloadNowAppliesTheFileBeforeAnyPollAndNothingBeforeTheStart)
{
    const auto enabled = [](bool on) {
        return std::string(R"({"isEnabled": )") + (on ? "true" : "false") +
               R"(, "recognizer": {"cornerZone": 0.3, "doubleTapWindow": 0.45, "tripleTapWindow": 0.2,
                   "maximumTapDuration": 0.28, "maximumTapTravel": 0.08}, "assignments": []})";
    };
    HelperRunner runner(fakes.services());
    home.write("configuration.json", enabled(false));
    runner.reloadNow();  // not started: the configuration stays as constructed
    EXPECT_TRUE(runner.configuration().isEnabled);

    ASSERT_TRUE(runner.start());
    EXPECT_FALSE(runner.configuration().isEnabled);
    home.write("configuration.json", enabled(true));
    runner.reloadNow();
    EXPECT_TRUE(runner.configuration().isEnabled);
    EXPECT_TRUE(runner.monitor().isRunning().get());
    EXPECT_THAT(fakes.log.messages(), ::testing::Contains("Reloading the configuration on request"));
}

TEST_F(RunnerOnRequest, AnUnusableLockFileIsAFailureNamingThePathAndReasonNotAnotherHelper)
{
    std::filesystem::create_directories(home.supportDirectory() / "helper.lock");  // cannot be opened
    HelperRunner runner(fakes.services());
    EXPECT_FALSE(runner.start());
    EXPECT_EQ(runner.startRefusal(), HelperRunner::StartRefusal::lockUnusable);
    const auto path = (home.supportDirectory() / "helper.lock").string();
    EXPECT_THAT(fakes.log.messages(),
                ::testing::ElementsAre("Could not open helper lock file " + path + ": Is a directory"));
}

}  // namespace
}  // namespace quorvel::testing
