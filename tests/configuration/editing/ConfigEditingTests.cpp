// The edits of `quorvel config`, grouped by command, on the library with fake look-ups.
#include <gtest/gtest.h>

#include <set>

#include "helper/configuration/ConfigurationJson.h"
#include "tests/configuration/editing/EditingTestSupport.h"

namespace quorvel::testing {
namespace {

using Words = std::vector<std::string>;
using OrderedJson = nlohmann::ordered_json;

struct ConfigEditing : ::testing::Test, EditingMachine {};

// `set topLeft doubleTap` and the words of each row, with no file yet.
TEST_F(ConfigEditing, SetPutsEachKindInItsSlotSwitchedOnWithItsArgumentsCheckedAndLookedUp)
{
    using K = ActionKind;
    const std::pair<Words, ActionKind> rows[] = {
        {{"openApp", "Files"}, {K::OpenApp{"Files", "org.gnome.Nautilus"}}},
        {{"openApp", "firefox-esr.desktop"}, {K::OpenApp{"Firefox ESR", "firefox-esr"}}},
        {{"openApp", "firefox esr"}, {K::OpenApp{"Firefox ESR", "firefox-esr"}}},
        {{"openURL", "example.org"}, {K::OpenURL{"example.org"}}}, {{"switchApps"}, {K::SwitchApps{}}},
        {{"showAppSwitcher"}, {K::ShowAppSwitcher{}}}, {{"nextInputSource"}, {K::NextInputSource{}}},
        {{"showSpotlightSearch"}, {K::ShowSpotlightSearch{}}}, {{"runShortcut", "hello"}, {K::RunShortcut{"hello"}}},
        {{"media", "volumeUp"}, {K::Media{MediaCommand::volumeUp}}}, {{"mute"}, {K::Mute{}}},
        {{"textSnippet", "--", "-- \n Ada"}, {K::TextSnippet{"-- \n Ada"}}},
    };
    for (auto [words, kind] : rows) {
        words.insert(words.begin(), {"set", "topLeft", "doubleTap"});
        const auto [outcome, text] = run(words);
        ASSERT_EQ(outcome.status, 0) << words[3] << ": " << outcome.error;
        EXPECT_TRUE(outcome.warnings.empty()) << outcome.warnings.front();
        const auto configuration = decodeConfiguration(text).value();
        const auto set = configuration.assignment(TrackpadCorner::topLeft).doubleTap.value();
        EXPECT_EQ(std::tie(set.kind, set.isEnabled), std::tuple(kind, true)) << text;
        EXPECT_EQ(configuration.assignments.size(), 4u);  // into the starter's topLeft entry
    }
}

// Everything refused is refused before anything is written; a missing shortcut is only a warning.
TEST_F(ConfigEditing, RefusalsByCommandWriteNothingAndSayWhy)
{
    const std::string usable = documentWithAssignments("[]");
    const std::string broken = replaced(usable, "true", "\"yes\"");
    struct Row {
        Words words;  // after `set topLeft doubleTap` unless they name a command
        std::optional<std::string> before;
        int status;
        std::string said;  // in the error, or in the warnings when the status is 0
    };
    const Row rows[] = {
        {{"openApp", "Filez"}, usable, 1, "the closest: \"Files\""}, {{"openURL", " "}, usable, 2, "not a URL"},
        {{"openURL", "exa mple.org"}, usable, 2, "not a URL"}, {{"runShortcut", "a/b"}, usable, 2, "\"/\""},
        {{"runShortcut", ".hidden"}, usable, 2, "start with"},
        {{"runShortcut", std::string("a\0b", 3)}, usable, 2, "NUL"},
        {{"runShortcut", "absent"}, std::nullopt, 0, "no executable of that name"},
        {{"runShortcut", "plain"}, std::nullopt, 0, "not executable"},
        {{"textSnippet", ""}, usable, 2, "empty"}, {{"textSnippet", "\xff"}, usable, 2, "UTF-8"},
        {{"media", "PlayPause"}, usable, 2, "unknown media command"},
        {{"opnApp", "x"}, usable, 2, "unknown action kind 'opnApp' (openApp, openURL"},
        {{"openApp"}, usable, 2, "needs an argument"}, {{"mute", "loudly"}, usable, 2, "unexpected argument"},
        {{"mute", "--quiet"}, usable, 2, "unknown option"}, {{"mute"}, broken, 1, "at isEnabled: expected a boolean"},
        {{"set", "middle", "doubleTap", "mute"}, usable, 2, "unknown corner"},
        {{"set", "topLeft", "quadTap", "mute"}, usable, 2, "unknown slot"},
        {{"unset", "topLeft", "doubleTap"}, broken, 1, "--force"},
        {{"enable", "topLeft", "doubleTap"}, usable, 1, "has no action to switch on"},
        {{"tune", "cornerzone", "0.2"}, usable, 2, "unknown setting"},
        {{"tune", "cornerZone", "1e999"}, usable, 2, "not a finite number"},
        {{"tune", "cornerZone", "nan"}, usable, 2, "not a finite number"},
    };
    for (Row row : rows) {
        if (!std::set<std::string>{"set", "unset", "enable", "tune"}.contains(row.words[0]))
            row.words.insert(row.words.begin(), {"set", "topLeft", "doubleTap"});
        const auto [outcome, text] = run(row.words, row.before);
        EXPECT_EQ(outcome.status, row.status) << row.words[0] << " " << row.words.back() << ": " << outcome.error;
        const std::string said = outcome.status == 0 && !outcome.warnings.empty() ? outcome.warnings[0] : outcome.error;
        EXPECT_NE(said.find(row.said), std::string::npos) << said;
        EXPECT_TRUE(row.status == 0 || !outcome.content) << row.words.back();
    }
}

// Each edit changes what it names and nothing else: members the agent does not know stay, at
// every level and in their places; a replaced action keeps its id and its own extra members.
TEST_F(ConfigEditing, EditsKeepEverythingElseOfThePersonsDocumentInItsOrderAndUnchangedOnesWriteNothing)
{
    std::string text = R"({"note": "mine", "isEnabled": true,
      "recognizer": {"maximumTapTravel": 0.08, "cornerZone": 0.3, "doubleTapWindow": 0.45, "tripleTapWindow": 0.2,
                     "maximumTapDuration": 0.28, "x": 1},
      "assignments": [
        {"corner": "topRight", "tripleTap": {"isEnabled": false, "id": "00000000-0000-4000-8000-00000000000A",
          "kind": {"why": "x", "openApp": {"name": "Old", "extra": 2, "bundleIdentifier": "old"}}, "tag": 3}},
        {"corner": "topLeft", "y": [1, 2]}, {"corner": "topRight", "doubleTap": null}],
      "z": null})";
    const Words edits[] = {{"set", "topRight", "tripleTap", "openApp", "Files"},
                           {"set", "topRight", "doubleTap", "mute"}, {"disable", "topRight", "tripleTap"},
                           {"tune", "cornerZone", "0.25"}, {"set", "bottomLeft", "doubleTap", "media", "nextTrack"},
                           {"unset", "topLeft", "doubleTap"}, {"disable"}};
    for (const Words& words : edits) {
        auto [outcome, after] = run(words, text);
        ASSERT_EQ(outcome.status, 0) << outcome.error;
        if (words[0] == "set" && words[1] == "topRight") {
            EXPECT_EQ(outcome.messages.back(),
                      "topRight has 2 entries; this changed the first, assignments[0], the one the agent uses");
        }
        text = after;
    }
    const std::string expected = R"({"note": "mine", "isEnabled": false,
      "recognizer": {"maximumTapTravel": 0.08, "cornerZone": 0.25, "doubleTapWindow": 0.45, "tripleTapWindow": 0.2,
                     "maximumTapDuration": 0.28, "x": 1},
      "assignments": [
        {"corner": "topRight",
         "doubleTap": {"id": "00000000-0000-0000-0000-000000000001", "kind": {"mute": {}}, "isEnabled": true},
         "tripleTap": {"isEnabled": false, "id": "00000000-0000-4000-8000-00000000000A",
           "kind": {"why": "x", "openApp": {"name": "Files", "extra": 2, "bundleIdentifier": "org.gnome.Nautilus"}},
           "tag": 3}},
        {"corner": "topLeft", "y": [1, 2]}, {"corner": "topRight", "doubleTap": null},
        {"corner": "bottomLeft", "doubleTap": {"id": "00000000-0000-0000-0000-000000000002",
                                               "kind": {"media": {"command": "nextTrack"}}, "isEnabled": true}}],
      "z": null})";
    EXPECT_EQ(text, OrderedJson::parse(expected).dump(2) + "\n");

    // Back again: the switch, the action, the tuning.
    for (const Words& words : {Words{"enable"}, Words{"enable", "topRight", "tripleTap"}, Words{"tune", "--reset"}})
        text = run(words, text).second;
    const auto configuration = decodeConfiguration(text).value();
    EXPECT_TRUE(configuration.isEnabled && configuration.assignments[0].tripleTap->isEnabled);
    EXPECT_EQ(configuration.recognizer, AppConfiguration::defaultConfiguration().recognizer);
    // What changes nothing writes nothing. (Replacing an unusable file with --force is the real command's.)
    for (const Words& words : {Words{"enable"}, Words{"unset", "topLeft", "doubleTap"}, Words{"tune", "--reset"}}) {
        const auto [outcome, after] = run(words, text);
        EXPECT_TRUE(outcome.status == 0 && !outcome.content) << words[0];
    }
}

}  // namespace
}  // namespace quorvel::testing
