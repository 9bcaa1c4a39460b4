// The JSON form: which documents decode, where the others fail, what the decoded values are,
// what the encoder writes, and round trips.
#include <unordered_set>

#include <gtest/gtest.h>

#include "helper/configuration/ConfigurationJson.h"
#include "tests/configuration/TestSupport.h"

namespace quorvel {
namespace {

using testing::documentWithAssignments;
using testing::documentWithKind;
using testing::replaced;

const platform::Uuid firstId = *platform::Uuid::fromString("00000000-0000-4000-8000-000000000001");
const std::string kindPath = "assignments[0].doubleTap.kind";

struct Case {
    std::string document;
    std::optional<std::string> failurePath;  // none: the document decodes
};

TEST(DecodingRules, DocumentsDecodeOrFailAtTheRightPath)
{
    const std::string valid = documentWithKind(R"({"mute": {}})");
    const std::vector<Case> cases = {
        // The one-key rule of action kinds: other members are ignored, case names are exact.
        {documentWithKind(R"({"mute": {}, "note": 1})"), {}},
        {documentWithKind(R"({})"), kindPath},
        {documentWithKind(R"({"Mute": {}})"), kindPath},
        {documentWithKind(R"({"mute": {}, "media": {"command": "mute"}})"), kindPath},
        {documentWithKind(R"("mute")"), kindPath},
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
        {replaced(valid, "0.3", "1"), {}},
        {replaced(valid, "0.3", "\"0.3\""), "recognizer.cornerZone"},
        {replaced(valid, R"("isEnabled": true,)", R"("isEnabled": 1,)"), "isEnabled"},
        {replaced(valid, "000000000001", "00000000000a"), {}},
        {replaced(valid, "-000000000001", "000000000001"), "assignments[0].doubleTap.id"},
        {"[]", ""},
    };
    for (const Case& c : cases) {
        const Decoded<AppConfiguration> decoded = decodeConfiguration(c.document);
        if (!c.failurePath) {
            EXPECT_TRUE(decoded.ok()) << c.document << "\n" << decoded.error().path << ": " << decoded.error().reason;
        } else if (decoded.ok()) {
            ADD_FAILURE() << "decoded, but should fail at " << *c.failurePath << ":\n" << c.document;
        } else {
            EXPECT_EQ(decoded.error().path, *c.failurePath) << decoded.error().reason;
            EXPECT_NE(decoded.error().kind, DecodingError::Kind::notJson);
        }
    }
    EXPECT_EQ(decodeConfiguration(documentWithKind("{}")).error().reason, "Invalid number of keys found, expected one.");
}

TEST(DecodedValues, WorkedExampleInFileOrder)
{
    const Decoded<AppConfiguration> decoded = decodeConfiguration(testing::readText(testing::fixture("worked-example.json")));
    ASSERT_TRUE(decoded.ok()) << decoded.error().path << ": " << decoded.error().reason;
    const AppConfiguration& configuration = decoded.value();
    EXPECT_EQ(configuration.recognizer, AppConfiguration::defaultConfiguration().recognizer);
    ASSERT_EQ(configuration.assignments.size(), 4u);
    EXPECT_EQ(configuration.assignments[0].doubleTap,
              (AssignedAction{firstId, ActionKind{ActionKind::OpenApp{"Safari", "com.apple.Safari"}}, true}));
    EXPECT_EQ(configuration.assignments[0].tripleTap->kind, ActionKind{ActionKind::ShowSpotlightSearch{}});
    EXPECT_EQ(configuration.assignments[1].doubleTap->kind, ActionKind{ActionKind::Media{MediaCommand::playPause}});
    EXPECT_EQ(configuration.assignments[2], CornerAssignment{.corner = TrackpadCorner::bottomLeft});
    EXPECT_FALSE(configuration.assignments[3].doubleTap->isEnabled);  // only the migration removes it
}

TEST(DecodedValues, OptionalsNumbersAndUuids)
{
    const AppConfiguration openApp = decodeConfiguration(documentWithKind(R"({"openApp": {"name": "S", "bundleIdentifier": null}})")).value();
    EXPECT_EQ(openApp.assignments[0].doubleTap->kind, (ActionKind{ActionKind::OpenApp{"S", std::nullopt}}));

    auto cornerZone = [](const std::string& number) {
        return decodeConfiguration(replaced(documentWithAssignments("[]"), "0.3", number)).value().recognizer.cornerZone;
    };
    EXPECT_EQ(cornerZone("2"), 2.0);
    EXPECT_EQ(cornerZone("-2.5E-1"), -0.25);
    EXPECT_EQ(cornerZone("1e-400"), 0.0);
    EXPECT_EQ(cornerZone("123456789012345678901234567890"), 1.2345678901234568e29);

    const AppConfiguration lower = decodeConfiguration(replaced(documentWithKind("{\"mute\": {}}"), "000000000001", "abcdef0189ab")).value();
    EXPECT_EQ(lower.assignments[0].doubleTap->id, *platform::Uuid::fromString("00000000-0000-4000-8000-ABCDEF0189AB"));
}

TEST(SingleValues, CornersAndTapPatterns)
{
    EXPECT_EQ(toJson(TrackpadCorner::topRight).dump(), R"("topRight")");
    EXPECT_EQ(decodeTrackpadCorner(nlohmann::json("bottomRight")).value(), TrackpadCorner::bottomRight);
    EXPECT_FALSE(decodeTrackpadCorner(nlohmann::json("BottomRight")).ok());
    EXPECT_EQ(toJson(TapPattern::tripleTap).dump(), "3");
    EXPECT_EQ(decodeTapPattern(nlohmann::json(2)).value(), TapPattern::doubleTap);
    for (const nlohmann::json& bad : {nlohmann::json(1), nlohmann::json(4), nlohmann::json("2")}) {
        EXPECT_FALSE(decodeTapPattern(bad).ok()) << bad;
    }
}

TEST(Encoding, MembersInOrderAbsentOptionalsLeftOutUpperCaseUuids)
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

TEST(Encoding, EveryKindAndAwkwardValuesRoundTrip)
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
        CornerAssignment entry{.corner = TrackpadCorner::allCases()[i % 4]};
        entry.doubleTap = AssignedAction{firstId, kinds[i], i % 2 == 0};
        configuration.assignments.push_back(entry);
    }
    configuration.assignments.push_back(configuration.assignments.front());  // a corner twice
    for (JsonLayout layout : {JsonLayout::compact, JsonLayout::pretty}) {
        const Decoded<AppConfiguration> decoded = decodeConfiguration(*encodeConfiguration(configuration, layout));
        ASSERT_TRUE(decoded.ok()) << decoded.error().reason;
        EXPECT_EQ(decoded.value(), configuration);
    }
}

TEST(ActionKindHash, DistinguishesCasesPayloadsAndAbsentFromEmpty)
{
    const std::hash<ActionKind> hash;
    const std::unordered_set<std::size_t> hashes{
        hash(ActionKind{ActionKind::Mute{}}), hash(ActionKind{ActionKind::Media{MediaCommand::mute}}),
        hash(ActionKind{ActionKind::OpenApp{"a", std::nullopt}}), hash(ActionKind{ActionKind::OpenApp{"a", ""}}),
        hash(ActionKind{ActionKind::RunShortcut{"a"}}), hash(ActionKind{ActionKind::TextSnippet{"a"}}),
    };
    EXPECT_EQ(hashes.size(), 6u);
}

}  // namespace
}  // namespace quorvel
