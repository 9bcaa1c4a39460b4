// The edits of `quorvel config`, grouped by command, on the library with fake look-ups.
#include <gtest/gtest.h>

#include "helper/configuration/ConfigurationJson.h"
#include "tests/configuration/editing/EditingTestSupport.h"

namespace quorvel::testing {
namespace {

using Words = std::vector<std::string>;
using OrderedJson = nlohmann::ordered_json;

struct ConfigEditing : ::testing::Test, EditingMachine {
    // The file's action at a place, as decoded.
    std::optional<AssignedAction> action(const std::string& text, TrackpadCorner corner, TapPattern slot)
    {
        const auto decoded = decodeConfiguration(text);
        EXPECT_TRUE(decoded.ok()) << text;
        const auto entry = decoded.value().assignment(corner);
        return slot == TapPattern::doubleTap ? entry.doubleTap : entry.tripleTap;
    }
};

TEST_F(ConfigEditing, SetPutsEachKindInItsSlotSwitchedOnWithItsArgumentsCheckedAndLookedUp)
{
    using K = ActionKind;
    const std::pair<Words, ActionKind> rows[] = {
        {{"set", "topLeft", "doubleTap", "openApp", "Files"}, {K::OpenApp{"Files", "org.gnome.Nautilus"}}},
        {{"set", "topLeft", "doubleTap", "openApp", "firefox-esr.desktop"}, {K::OpenApp{"Firefox ESR", "firefox-esr"}}},
        {{"set", "topLeft", "doubleTap", "openApp", "firefox esr"}, {K::OpenApp{"Firefox ESR", "firefox-esr"}}},
        {{"set", "topLeft", "doubleTap", "openURL", "example.org"}, {K::OpenURL{"example.org"}}},
        {{"set", "topLeft", "doubleTap", "switchApps"}, {K::SwitchApps{}}},
        {{"set", "topLeft", "doubleTap", "showAppSwitcher"}, {K::ShowAppSwitcher{}}},
        {{"set", "topLeft", "doubleTap", "nextInputSource"}, {K::NextInputSource{}}},
        {{"set", "topLeft", "doubleTap", "showSpotlightSearch"}, {K::ShowSpotlightSearch{}}},
        {{"set", "topLeft", "doubleTap", "media", "volumeUp"}, {K::Media{MediaCommand::volumeUp}}},
        {{"set", "topLeft", "doubleTap", "mute"}, {K::Mute{}}},
        {{"set", "topLeft", "doubleTap", "textSnippet", "--", "-- \n Ada"}, {K::TextSnippet{"-- \n Ada"}}},
        {{"set", "topLeft", "doubleTap", "runShortcut", "hello"}, {K::RunShortcut{"hello"}}},
    };
    for (const auto& [words, kind] : rows) {
        const auto [outcome, text] = run(words);
        ASSERT_EQ(outcome.status, 0) << words[4] << ": " << outcome.error;
        EXPECT_TRUE(outcome.warnings.empty()) << outcome.warnings.front();
        const auto set = action(text, TrackpadCorner::topLeft, TapPattern::doubleTap);
        ASSERT_TRUE(set) << text;
        EXPECT_EQ(set->kind, kind) << text;
        EXPECT_TRUE(set->isEnabled);
        EXPECT_EQ(decodeConfiguration(text).value().assignments.size(), 4u);  // into the starter's topLeft entry
    }
}

// Everything refused is refused before anything is written; a missing shortcut is only a warning.
TEST_F(ConfigEditing, RefusalsByCommandWriteNothingAndSayWhy)
{
    const std::string usable = documentWithAssignments("[]");
    const std::string broken = replaced(usable, "true", "\"yes\"");
    struct Row {
        Words words;
        std::optional<std::string> before;
        int status;
        std::string said;  // in the error, or in the warnings when the status is 0
    };
    const Row rows[] = {
        {{"set", "topLeft", "doubleTap", "openApp", "Filez"}, usable, 1, "the closest: \"Files\""},
        {{"set", "topLeft", "doubleTap", "openURL", " "}, usable, 2, "not a URL"},
        {{"set", "topLeft", "doubleTap", "openURL", "exa mple.org"}, usable, 2, "not a URL"},
        {{"set", "topLeft", "doubleTap", "runShortcut", "a/b"}, usable, 2, "\"/\""},
        {{"set", "topLeft", "doubleTap", "runShortcut", ".hidden"}, usable, 2, "start with"},
        {{"set", "topLeft", "doubleTap", "runShortcut", std::string("a\0b", 3)}, usable, 2, "NUL"},
        {{"set", "topLeft", "doubleTap", "runShortcut", "absent"}, std::nullopt, 0, "no executable of that name"},
        {{"set", "topLeft", "doubleTap", "runShortcut", "plain"}, std::nullopt, 0, "not executable"},
        {{"set", "topLeft", "doubleTap", "textSnippet", ""}, usable, 2, "empty"},
        {{"set", "topLeft", "doubleTap", "textSnippet", "\xff"}, usable, 2, "UTF-8"},
        {{"set", "topLeft", "doubleTap", "media", "PlayPause"}, usable, 2, "unknown media command"},
        {{"set", "middle", "doubleTap", "mute"}, usable, 2, "unknown corner"},
        {{"set", "topLeft", "quadTap", "mute"}, usable, 2, "unknown slot"},
        {{"set", "topLeft", "doubleTap", "opnApp", "x"}, usable, 2, "unknown action kind 'opnApp' (openApp, openURL"},
        {{"set", "topLeft", "doubleTap", "openApp"}, usable, 2, "needs an argument"},
        {{"set", "topLeft", "doubleTap", "mute", "loudly"}, usable, 2, "unexpected argument"},
        {{"set", "topLeft", "doubleTap", "mute", "--quiet"}, usable, 2, "unknown option"},
        {{"set", "topLeft", "doubleTap", "mute"}, broken, 1, "at isEnabled: expected a boolean"},
        {{"unset", "topLeft", "doubleTap"}, broken, 1, "--force"},
        {{"enable", "topLeft", "doubleTap"}, usable, 1, "has no action to switch on"},
        {{"tune", "cornerzone", "0.2"}, usable, 2, "unknown setting"},
        {{"tune", "cornerZone", "1e999"}, usable, 2, "not a finite number"},
        {{"tune", "cornerZone", "nan"}, usable, 2, "not a finite number"},
    };
    for (const Row& row : rows) {
        const auto [outcome, text] = run(row.words, row.before);
        EXPECT_EQ(outcome.status, row.status) << row.words[0] << " " << row.words.back() << ": " << outcome.error;
        const std::string said = outcome.status == 0 && !outcome.warnings.empty() ? outcome.warnings[0] : outcome.error;
        EXPECT_NE(said.find(row.said), std::string::npos) << said;
        if (row.status != 0) {
            EXPECT_FALSE(outcome.content) << row.words.back();
        }
    }
}

// Each edit changes what it names and nothing else: members the agent does not know stay, at
// every level and in their places; a replaced action keeps its id and its own extra members.
TEST_F(ConfigEditing, EditsKeepEverythingElseOfThePersonsDocumentInItsOrder)
{
    std::string text = R"({"note": "mine", "isEnabled": true,
      "recognizer": {"maximumTapTravel": 0.08, "cornerZone": 0.3, "doubleTapWindow": 0.45, "tripleTapWindow": 0.2,
                     "maximumTapDuration": 0.28, "x": 1},
      "assignments": [{"corner": "topRight", "tripleTap": {"isEnabled": false, "id": "00000000-0000-4000-8000-00000000000A",
                         "kind": {"why": "x", "openApp": {"name": "Old", "extra": 2, "bundleIdentifier": "old"}}, "tag": 3}},
                      {"corner": "topLeft", "y": [1, 2]}, {"corner": "topRight", "doubleTap": null}],
      "z": null})";
    const Words edits[] = {{"set", "topRight", "tripleTap", "openApp", "Files"}, {"set", "topRight", "doubleTap", "mute"},
                           {"disable", "topRight", "tripleTap"}, {"tune", "cornerZone", "0.25"},
                           {"set", "bottomLeft", "doubleTap", "media", "nextTrack"}, {"unset", "topLeft", "doubleTap"},
                           {"disable"}};
    for (const Words& words : edits) {
        auto [outcome, after] = run(words, text);
        ASSERT_EQ(outcome.status, 0) << outcome.error;
        if (words[0] == "set" && words[1] == "topRight") {
            EXPECT_EQ(outcome.messages.back(), "topRight has 2 entries; this changed the first, assignments[0], the one the agent uses");
        }
        text = after;
    }
    const std::string expected = R"({"note": "mine", "isEnabled": false,
      "recognizer": {"maximumTapTravel": 0.08, "cornerZone": 0.25, "doubleTapWindow": 0.45, "tripleTapWindow": 0.2,
                     "maximumTapDuration": 0.28, "x": 1},
      "assignments": [{"corner": "topRight",
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
    for (const Words& words : {Words{"enable"}, Words{"enable", "topRight", "tripleTap"}, Words{"tune", "--reset"}}) text = run(words, text).text;
    const auto configuration = decodeConfiguration(text).value();
    EXPECT_TRUE(configuration.isEnabled && configuration.assignments[0].tripleTap->isEnabled);
    EXPECT_EQ(configuration.recognizer, AppConfiguration::defaultConfiguration().recognizer);
}

TEST_F(ConfigEditing, AnUnchangedDocumentIsNotWrittenAndForceReplacesAnUnusableOneWithTheDefault)
{
    const std::string usable = documentWithAssignments("[]");
    for (const Words& words : {Words{"enable"}, Words{"unset", "topLeft", "doubleTap"}, Words{"tune", "--reset"}}) {
        const auto [outcome, text] = run(words, usable);
        EXPECT_EQ(outcome.status, 0);
        EXPECT_FALSE(outcome.content) << words[0];
    }
    const auto [forced, text] = run({"set", "topLeft", "doubleTap", "mute", "--force"}, "[]");
    EXPECT_EQ(forced.status, 0) << forced.error;
    EXPECT_TRUE(forced.replacesUnusableFile);
    EXPECT_EQ(decodeConfiguration(text).value().recognizer, AppConfiguration::defaultConfiguration().recognizer);
    EXPECT_TRUE(action(text, TrackpadCorner::topLeft, TapPattern::doubleTap));
}

}  // namespace
}  // namespace quorvel::testing
