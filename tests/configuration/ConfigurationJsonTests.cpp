// The JSON form: bytes that are not one clean document, which documents decode, where the others
// fail, what the decoded values are, what the encoder writes, and round trips.
#include <gtest/gtest.h>

#include "helper/configuration/ConfigurationJson.h"
#include "helper/configuration/StrictJsonParser.h"
#include "tests/configuration/TestSupport.h"

namespace quorvel {
namespace {

using testing::documentWithAssignments;
using testing::documentWithKind;
using testing::replaced;
using namespace std::string_literals;

const platform::Uuid firstId = *platform::Uuid::fromString("00000000-0000-4000-8000-000000000001");
const std::string kindPath = "assignments[0].doubleTap.kind";
const std::filesystem::path corpus = std::filesystem::path(QUORVEL_TESTDATA_DIR) / "json/JSONTestSuite-test_parsing";

TEST(StrictJsonParser, DuplicatesDepthOverflowEncodingAndWhatSurroundsTheDocument)
{
    const std::string deepest = std::string(maximumJsonNesting, '[') + std::string(maximumJsonNesting, ']');
    // A member named twice (which value counts would be a guess), a byte-order mark as editors write it,
    // and a zero byte, which the lexer would take for the end of the input.
    for (const std::string& text : {R"({"a": {"a": 1}, "b": [{"a": 1}, {"a": 2}]})"s, deepest, "123456789012345678901234567890"s,
                                    "-9223372036854775809"s, "\xEF\xBB\xBF{}"s, " \t\r\n{\"caf\xc3\xa9\": 1} \n\n"s}) {
        EXPECT_TRUE(parseStrictJson(text).ok()) << text;
    }
    for (const std::string& text : {R"({"x": [{"isEnabled": true, "isEnabled": false}]})"s, "[" + deepest + "]", "1e400"s,
                                    "-1e400"s, "NaN"s, "Infinity"s, "\"\xff\""s, "\"\xc0\xaf\""s, "\"\xed\xa0\x80\""s, R"("\ud800")"s,
                                    "\xEF\xBB\xBF\xEF\xBB\xBF{}"s, "\xFE\xFF{}"s, "{}{}"s, "{} x"s, ""s, "   "s, "{} // comment"s,
                                    "{}\0{\"a\""s}) {
        EXPECT_FALSE(parseStrictJson(text).ok()) << text;
    }
    EXPECT_FALSE(parseStrictJson(testing::readText(corpus / "n_structure_100000_opening_arrays.json")).ok());
    const auto twice = decodeConfiguration(testing::replaced(testing::documentWithAssignments("[]"), "{", R"({"isEnabled": false, )"));
    EXPECT_EQ(twice.error().kind, DecodingError::Kind::dataCorrupted);
}

TEST(JsonConformanceCorpus, EveryFileEndsInACleanDecodingFailure)
{
    ASSERT_TRUE(std::filesystem::is_directory(corpus)) << "missing test data: " << corpus;
    std::size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
        const std::string name = entry.path().filename().string();
        const Decoded<AppConfiguration> decoded = decodeConfiguration(testing::readText(entry.path()));
        ++files;
        ASSERT_FALSE(decoded.ok()) << name;
        // Valid JSON must be refused by the configuration's rules, invalid JSON by the parser.
        const bool notJson = decoded.error().kind == DecodingError::Kind::notJson;
        EXPECT_TRUE(name.starts_with("i_") || notJson == name.starts_with("n_")) << name;
    }
    EXPECT_GT(files, 300u);
}

TEST(DecodingRules, DocumentsDecodeOrFailAtTheRightPath)
{
    const std::string valid = documentWithKind(R"({"mute": {}})");
    const std::pair<std::string, std::optional<std::string>> cases[] = {  // no path: the document decodes
        // The one-key rule of action kinds: other members are ignored, case names are exact.
        {documentWithKind(R"({"mute": {}, "note": 1})"), {}},
        {documentWithKind(R"({})"), kindPath}, {documentWithKind(R"({"Mute": {}})"), kindPath},
        {documentWithKind(R"({"mute": {}, "media": {"command": "mute"}})"), kindPath}, {documentWithKind(R"("mute")"), kindPath},
        // Payloads are objects; payload-less cases ignore what they hold.
        {documentWithKind(R"({"switchApps": {"x": 1}})"), {}},
        {documentWithKind(R"({"switchApps": null})"), kindPath + ".switchApps"},
        {documentWithKind(R"({"switchApps": true})"), kindPath + ".switchApps"},
        {documentWithKind(R"({"openApp": {"bundleIdentifier": "com.apple.Safari"}})"), kindPath + ".openApp.name"},
        {documentWithKind(R"({"media": {"command": "volumeUp"}})"), {}},
        {documentWithKind(R"({"media": {"command": "VolumeUp"}})"), kindPath + ".media.command"},
        // Required members: absent or null fails; optional ones: absent or null is none.
        {replaced(valid, R"("isEnabled": true,)", ""), "isEnabled"},
        {replaced(valid, R"("isEnabled": true,)", R"("isEnabled": null,)"), "isEnabled"},
        {replaced(valid, R"("tripleTapWindow": 0.2,)", ""), "recognizer.tripleTapWindow"},
        {replaced(valid, R"("recognizer")", R"("Recognizer")"), "recognizer"},
        {replaced(valid, R"("corner": "topLeft",)", ""), "assignments[0].corner"},
        {replaced(valid, R"("corner": "topLeft",)", R"("corner": "topleft",)"), "assignments[0].corner"},
        {replaced(valid, R"("isEnabled": true})", R"("isEnabled": null})"), "assignments[0].doubleTap.isEnabled"},
        {documentWithAssignments(R"([{"corner": "topRight", "doubleTap": null, "tripleTap": null}])"), {}},
        {documentWithAssignments(R"([{"corner": "bottomLeft"}, {"corner": "bottomLeft", "doubleTap": 1}])"),
         "assignments[1].doubleTap"},
        {documentWithAssignments(R"({})"), "assignments"},
        // Unknown members are ignored at every level.
        {replaced(replaced(valid, R"("cornerZone")", R"("zone": 1, "cornerZone")"), "{", R"({"version": 2, )"), {}},
        // Values: numbers with or without fraction, UUIDs in either case, nothing else.
        {replaced(valid, "0.3", "1"), {}}, {replaced(valid, "0.3", "\"0.3\""), "recognizer.cornerZone"},
        {replaced(valid, R"("isEnabled": true,)", R"("isEnabled": 1,)"), "isEnabled"},
        {replaced(valid, "000000000001", "00000000000a"), {}}, {"[]", ""},
        {replaced(valid, "-000000000001", "000000000001"), "assignments[0].doubleTap.id"},
    };
    for (const auto& [document, failurePath] : cases) {
        const Decoded<AppConfiguration> decoded = decodeConfiguration(document);
        EXPECT_EQ(decoded.ok(), !failurePath) << document << "\n" << (decoded.ok() ? "" : decoded.error().reason);
        if (decoded.ok() || !failurePath) continue;
        EXPECT_EQ(decoded.error().path, *failurePath) << decoded.error().reason;
        EXPECT_NE(decoded.error().kind, DecodingError::Kind::notJson);
    }
    EXPECT_EQ(decodeConfiguration(documentWithKind("{}")).error().reason, "Invalid number of keys found, expected one.");
    // A required member absent and one present but null are told apart.
    EXPECT_EQ(decodeConfiguration(replaced(valid, R"("isEnabled": true,)", "")).error().kind,
              DecodingError::Kind::keyNotFound);
    EXPECT_EQ(decodeConfiguration(replaced(valid, R"("isEnabled": true,)", R"("isEnabled": null,)")).error().kind,
              DecodingError::Kind::valueNotFound);
}

TEST(DecodedValues, WorkedExampleOptionalsNumbersAndUuids)
{
    const Decoded<AppConfiguration> decoded = decodeConfiguration(testing::readText(testing::fixture("worked-example.json")));
    ASSERT_TRUE(decoded.ok()) << decoded.error().path << ": " << decoded.error().reason;
    const AppConfiguration& example = decoded.value();
    EXPECT_EQ(example.recognizer, AppConfiguration::defaultConfiguration().recognizer);
    ASSERT_EQ(example.assignments.size(), 4u);
    EXPECT_EQ(example.assignments[0].doubleTap,
              (AssignedAction{firstId, ActionKind{ActionKind::OpenApp{"Safari", "com.apple.Safari"}}, true}));
    EXPECT_EQ(example.assignments[0].tripleTap->kind, ActionKind{ActionKind::ShowSpotlightSearch{}});
    EXPECT_EQ(example.assignments[1].doubleTap->kind, ActionKind{ActionKind::Media{MediaCommand::playPause}});
    EXPECT_EQ(example.assignments[2], CornerAssignment{.corner = TrackpadCorner::bottomLeft});
    EXPECT_FALSE(example.assignments[3].doubleTap->isEnabled);  // only the migration removes it

    const std::string openApp = documentWithKind(R"({"openApp": {"name": "S", "bundleIdentifier": null}})");
    EXPECT_EQ(decodeConfiguration(openApp).value().assignments[0].doubleTap->kind,
              (ActionKind{ActionKind::OpenApp{"S", std::nullopt}}));
    for (const auto& [number, value] : {std::pair{"2", 2.0}, {"-2.5E-1", -0.25}, {"1e-400", 0.0},
                                        {"123456789012345678901234567890", 1.2345678901234568e29}}) {
        const auto decodedNumber = decodeConfiguration(replaced(documentWithAssignments("[]"), "0.3", number));
        EXPECT_EQ(decodedNumber.value().recognizer.cornerZone, value) << number;
    }
    const auto lower = decodeConfiguration(replaced(documentWithKind("{\"mute\": {}}"), "000000000001", "abcdef0189ab"));
    EXPECT_EQ(lower.value().assignments[0].doubleTap->id, *platform::Uuid::fromString("00000000-0000-4000-8000-ABCDEF0189AB"));
}

TEST(Encoding, MembersInOrderAbsentOptionalsLeftOutUpperCaseUuidsNothingNonFinite)
{
    AppConfiguration configuration = AppConfiguration::defaultConfiguration();
    configuration.assignments.resize(2);
    configuration.assignments[0].doubleTap = AssignedAction{*platform::Uuid::fromString("abcdef01-2345-4789-8abc-def012345678"),
                                                            ActionKind{ActionKind::OpenApp{"Files", std::nullopt}}, true};
    configuration.assignments[0].tripleTap = AssignedAction{firstId, ActionKind{ActionKind::SwitchApps{}}, false};
    EXPECT_EQ(*encodeConfiguration(configuration, JsonLayout::compact),
              R"({"isEnabled":true,"recognizer":{"cornerZone":0.3,"doubleTapWindow":0.45,"tripleTapWindow":0.2,)"
              R"("maximumTapDuration":0.28,"maximumTapTravel":0.08},"assignments":[{"corner":"topLeft",)"
              R"("doubleTap":{"id":"ABCDEF01-2345-4789-8ABC-DEF012345678","kind":{"openApp":{"name":"Files"}},"isEnabled":true},)"
              R"("tripleTap":{"id":"00000000-0000-4000-8000-000000000001","kind":{"switchApps":{}},"isEnabled":false}},)"
              R"({"corner":"topRight"}]})");
    configuration.recognizer.doubleTapWindow = std::numeric_limits<double>::infinity();
    EXPECT_FALSE(encodeConfiguration(configuration).has_value());  // would be written as null
}

TEST(Encoding, EveryKindAwkwardValuesAndTapPatternsRoundTrip)
{
    AppConfiguration configuration{false, {0.1 + 0.2, 1e-300, 123456789.125, -0.0, 5e300}, {}};
    const ActionKind kinds[] = {
        ActionKind{ActionKind::OpenApp{"Ünïcödé \"app\"", "org.example.App"}},
        ActionKind{ActionKind::OpenURL{"https://example.org/?a=1&b=\\"}},
        ActionKind{ActionKind::SwitchApps{}}, ActionKind{ActionKind::ShowAppSwitcher{}},
        ActionKind{ActionKind::NextInputSource{}}, ActionKind{ActionKind::ShowSpotlightSearch{}},
        ActionKind{ActionKind::Media{MediaCommand::previousTrack}}, ActionKind{ActionKind::Mute{}},
        ActionKind{ActionKind::TextSnippet{std::string("line\n\ttab\0nul", 13)}}, ActionKind{ActionKind::RunShortcut{""}},
    };
    for (std::size_t i = 0; i < std::size(kinds); ++i) {
        configuration.assignments.push_back({.corner = TrackpadCorner::allCases()[i % 4]});
        configuration.assignments.back().doubleTap = AssignedAction{firstId, kinds[i], i % 2 == 0};
    }
    configuration.assignments.push_back(configuration.assignments.front());  // a corner twice
    for (JsonLayout layout : {JsonLayout::compact, JsonLayout::pretty}) {
        EXPECT_EQ(decodeConfiguration(*encodeConfiguration(configuration, layout)).value(), configuration);
    }
    EXPECT_EQ(decodeTapPattern(toJson(TapPattern::tripleTap)).value(), TapPattern::tripleTap);
    for (const auto& bad : {nlohmann::json(1), nlohmann::json(4), nlohmann::json("2")}) EXPECT_FALSE(decodeTapPattern(bad).ok());
}

}  // namespace
}  // namespace quorvel
