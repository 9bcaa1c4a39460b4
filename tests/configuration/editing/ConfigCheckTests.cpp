// What `quorvel config check` and `show` tell a person about a file.
#include <gtest/gtest.h>

#include "helper/configuration/ConfigurationJson.h"
#include "helper/configuration/ConfigurationProblem.h"
#include "helper/configuration/ConfigurationStore.h"
#include "helper/configuration/editing/ConfigurationReport.h"
#include "helper/configuration/editing/ConfigurationWarnings.h"
#include "tests/configuration/editing/EditingTestSupport.h"

namespace quorvel::testing {
namespace {

std::vector<std::uint8_t> bytesOf(const std::string& text) { return {text.begin(), text.end()}; }

std::string withTuning(const std::string& setting, const std::string& value)
{
    const std::string document = documentWithAssignments("[]");
    const auto at = document.find("\"" + setting + "\": ") + setting.size() + 4;
    return document.substr(0, at) + value + document.substr(document.find_first_of(",}", at));
}

std::string running(const std::string& shortcut)
{
    return documentWithKind(R"({"runShortcut": {"name": ")" + shortcut + R"("}})");
}

struct ConfigCheck : ::testing::Test, EditingMachine {};

TEST_F(ConfigCheck, WarnsOfLegalButSurelyUnintendedValuesSayingWhere)
{
    const std::pair<std::string, std::string> rows[] = {
        {withTuning("cornerZone", "0.6"), "recognizer.cornerZone is 0.6: above 0.5 the corner zones overlap"},
        {withTuning("cornerZone", "0"), "recognizer.cornerZone is 0: at or below 0"},
        {withTuning("cornerZone", "0.22"), "recognizer.cornerZone is 0.22, which the agent reads as 0.3"},
        {withTuning("doubleTapWindow", "2.5"), "recognizer.doubleTapWindow is 2.5 s: above 2 seconds"},
        {withTuning("tripleTapWindow", "-1"), "recognizer.tripleTapWindow is -1 s: at or below 0"},
        {withTuning("maximumTapDuration", "0"), "recognizer.maximumTapDuration is 0 s: at or below 0"},
        {withTuning("maximumTapTravel", "1"), "recognizer.maximumTapTravel is 1: at 1 or above"},
        {documentWithAssignments(R"([{"corner": "topLeft"}, {"corner": "bottomLeft"}, {"corner": "topLeft"}])"),
         "assignments[2] is a second entry for topLeft: the agent uses only the first (assignments[0])"},
        {documentWithKind(R"({"openApp": {"name": "Files", "bundleIdentifier": "gone"}})"), ""},
        {documentWithKind(R"({"openApp": {"name": "Gone", "bundleIdentifier": "firefox-esr"}})"), ""},
        {documentWithKind(R"({"openApp": {"name": "Gone", "bundleIdentifier": "gone"}})"),
         "assignments[0].doubleTap: no installed application has the ID \"gone\" or the name \"Gone\""},
        {running("hello"), ""},
        {running("absent"), "assignments[0].doubleTap: there is no shortcut \"absent\""},
        {running("plain"), "\"plain\" in " + (directory.path / "shortcuts").string() + " is not an executable"},
        {running("hel\\u0000lo"), "the shortcut \"hel\\x00lo\" can never run: a shortcut name must not contain a NUL"},
        {running("a\\u202eb"), "there is no shortcut \"a\\u202eb\""},  // a text-reversing character, escaped
        {replaced(running("absent"), "true}", "false}"), ""},  // switched off
    };
    for (const auto& [document, warning] : rows) {
        const auto found = editing::configurationWarnings(
            decodeConfiguration(document).value(),
            std::get<AppConfiguration>(ConfigurationStore::load(bytesOf(document))), *lookups);
        EXPECT_EQ(found.size(), warning.empty() ? 0u : 1u) << document;
        EXPECT_TRUE(warning.empty() || found.at(0).find(warning) != std::string::npos) << found.at(0);
    }
}

TEST_F(ConfigCheck, UnusableFilesAreDescribedInThePersonsWordsWithFileWhereAndWhy)
{
    const std::pair<std::string, std::string> rows[] = {
        {documentWithKind(R"({"opnApp": {}, "note": 1})"),
         "/c.json: at assignments[0].doubleTap.kind: none of \"note\", \"opnApp\" is an action kind; the kinds are "
         "openApp, openURL, switchApps, showAppSwitcher, nextInputSource, showSpotlightSearch, media, mute, "
         "textSnippet, runShortcut (Invalid number of keys found, expected one.)"},
        {documentWithKind(R"({"mute": {}, "media": {"command": "mute"}})"),
         "names more than one action kind (\"media\", \"mute\")"},
        {documentWithKind("{}"), "names no action kind"},
        {"{\"isEnabled\": tru", "/c.json: not valid JSON: line 1, column 18: syntax error while parsing value"},
        {" \n", "/c.json: not valid JSON: the document is empty"},
    };
    for (const auto& [document, description] : rows) {
        const auto problem = readConfiguration("/c.json", bytesOf(document));
        EXPECT_EQ(problem.inForce.source, ConfigurationInForce::Source::defaultForUnusableFile);
        EXPECT_NE(problem.inForce.problem.find(description), std::string::npos) << problem.inForce.problem;
        EXPECT_EQ(problem.inForce.problem.find("json.exception"), std::string::npos);
    }
    EXPECT_EQ(readConfiguration("/c.json", readWholeFileOrFailure(directory.path)).inForce.problem,
              "/c.json: cannot be read: is a directory");
}

TEST_F(ConfigCheck, ShowSaysWhichConfigurationIsInForceAndEachSlotsActionAndSwitch)
{
    const std::string text = replaced(documentWithAssignments(R"([{"corner": "topLeft", "doubleTap": {
        "id": "00000000-0000-4000-8000-000000000001", "kind": {"openApp": {"name": "Files", "bundleIdentifier": "f"}},
        "isEnabled": false}}, {"corner": "topLeft"}])"), "0.45", "0.5");
    const std::string shown = editing::configurationReport("/c.json", bytesOf(text));
    const char* lines[] = {
        "Configuration file: /c.json\n", "Corner taps: on\n", "  doubleTapWindow     0.5 s\n",
        "  topLeft      doubleTap  openApp \"Files\" (\"f\")  (switched off: the agent ignores it)\n",
        "  (assignments[1], a second entry for topLeft, is ignored)\n"};
    for (const char* line : lines) EXPECT_NE(shown.find(line), std::string::npos) << shown;
    const std::string none = editing::configurationReport("/c.json", FileReadFailure{"x", true});
    EXPECT_NE(none.find("No configuration file at /c.json"), std::string::npos);
    EXPECT_NE(editing::configurationReport("/c.json", bytesOf("[")).find("not valid JSON"), std::string::npos);
}

}  // namespace
}  // namespace quorvel::testing
