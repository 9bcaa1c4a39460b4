// What a person is told when an action fails: one log line each (the agent's end-to-end tests
// show the others).
#include <gtest/gtest.h>

#include <functional>
#include <tuple>

#include "tests/actions/ActionTestSupport.h"

namespace quorvel::testing {
namespace {

using platform::ProcessExit;

struct FailedAction {
    std::function<void(FakeActionServices&)> arrange;
    ActionKind::Value kind;
    std::optional<ProcessExit> exit;  // how the started process ends, if it does
    const char* logged;               // nothing logged when null
};

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
        {none, Kind::RunShortcut{"backup"}, ProcessExit{0, {}, ""}, nullptr},
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

}  // namespace
}  // namespace quorvel::testing
