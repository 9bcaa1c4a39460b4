// The configuration document: required and optional members, names, numbers, UUIDs, error
// paths, the worked example, encoding and round trips.
#include <gtest/gtest.h>

#include "helper/configuration/ConfigurationJson.h"
#include "helper/configuration/StrictJsonParser.h"
#include "tests/configuration/TestSupport.h"

namespace quorvel {
namespace {

using testing::documentWithAssignments;
using testing::documentWithKind;
using testing::replaced;

const platform::Uuid firstId = *platform::Uuid::fromString("00000000-0000-4000-8000-000000000001");

TEST(ConfigurationRequiredMembers, MissingOrNullRequiredMembersFailTheWholeDocument)
{
    const std::string valid = documentWithKind(R"({"mute": {}})");
    ASSERT_TRUE(decodeConfiguration(valid).ok());
    const std::pair<std::string, std::string> breakages[] = {
        {R"("isEnabled": true,)", ""},
        {R"("isEnabled": true,)", R"("isEnabled": null,)"},
        {R"("cornerZone": 0.3,)", ""},
        {R"("maximumTapTravel": 0.08)", R"("maximumTapTravel": null)"},
        {R"("corner": "topLeft",)", ""},
        {R"("id": "00000000-0000-4000-8000-000000000001",)", ""},
        {R"("isEnabled": true}}])", R"("isEnabled": null}}])"},
    };
    for (const auto& [from, to] : breakages) {
        EXPECT_FALSE(decodeConfiguration(replaced(valid, from, to)).ok()) << from << " -> " << to;
    }
    EXPECT_FALSE(decodeConfiguration(replaced(valid, R"("recognizer")", R"("Recognizer")")).ok());
}

TEST(ConfigurationRequiredMembers, ErrorsNameThePathOfTheFailure)
{
    const Decoded<AppConfiguration> badKind = decodeConfiguration(documentWithAssignments(
        R"([{"corner": "topLeft"}, {"corner": "topRight", "doubleTap": {
             "id": "00000000-0000-4000-8000-000000000001", "kind": {"mute": {}, "media": {}}, "isEnabled": true}}])"));
    ASSERT_FALSE(badKind.ok());
    EXPECT_EQ(badKind.error().path, "assignments[1].doubleTap.kind");
    EXPECT_EQ(badKind.error().reason, "Invalid number of keys found, expected one.");

    const Decoded<AppConfiguration> missing =
        decodeConfiguration(replaced(documentWithKind("{}"), R"("tripleTapWindow": 0.2,)", ""));
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error().kind, DecodingError::Kind::keyNotFound);
    EXPECT_EQ(missing.error().path, "recognizer.tripleTapWindow");
}

TEST(ConfigurationOptionalMembers, AbsentOrNullActionsAreNone)
{
    for (const char* entry : {R"({"corner": "topRight"})", R"({"corner": "topRight", "doubleTap": null})",
                              R"({"corner": "topRight", "doubleTap": null, "tripleTap": null})"}) {
        const Decoded<AppConfiguration> decoded = decodeConfiguration(documentWithAssignments(std::string("[") + entry + "]"));
        ASSERT_TRUE(decoded.ok()) << entry;
        EXPECT_EQ(decoded.value().assignments, std::vector{CornerAssignment{.corner = TrackpadCorner::topRight}});
    }
}

TEST(ConfigurationMembers, UnknownMembersAreIgnoredAtEveryLevel)
{
    const std::string text = R"({"isEnabled": false, "version": 7, "recognizer": {"cornerZone": 0.3,
        "doubleTapWindow": 0.45, "tripleTapWindow": 0.2, "maximumTapDuration": 0.28, "maximumTapTravel": 0.08,
        "sensitivity": "high"}, "assignments": [{"corner": "bottomLeft", "label": "x", "tripleTap": {
        "id": "00000000-0000-4000-8000-000000000001", "kind": {"runShortcut": {"name": "n", "extra": []}},
        "isEnabled": true, "comment": null}}]})";
    const Decoded<AppConfiguration> decoded = decodeConfiguration(text);
    ASSERT_TRUE(decoded.ok()) << decoded.error().reason;
    EXPECT_FALSE(decoded.value().isEnabled);
    ASSERT_EQ(decoded.value().assignments.size(), 1u);
    EXPECT_EQ(decoded.value().assignments[0].tripleTap->kind, ActionKind{ActionKind::RunShortcut{"n"}});
}

TEST(ConfigurationValues, CornersAreCaseSensitiveRawValues)
{
    EXPECT_FALSE(decodeConfiguration(documentWithAssignments(R"([{"corner": "TopLeft"}])")).ok());
    EXPECT_FALSE(decodeConfiguration(documentWithAssignments(R"([{"corner": "top-left"}])")).ok());
    EXPECT_FALSE(decodeConfiguration(documentWithAssignments(R"([{"corner": 0}])")).ok());
    EXPECT_EQ(toJson(TrackpadCorner::topRight).dump(), R"("topRight")");
    EXPECT_EQ(decodeTrackpadCorner(nlohmann::json("bottomRight")).value(), TrackpadCorner::bottomRight);
}

TEST(ConfigurationValues, TapPatternsAreTheIntegersTwoAndThree)
{
    EXPECT_EQ(toJson(TapPattern::tripleTap).dump(), "3");
    EXPECT_EQ(decodeTapPattern(nlohmann::json(2)).value(), TapPattern::doubleTap);
    EXPECT_FALSE(decodeTapPattern(nlohmann::json(1)).ok());
    EXPECT_FALSE(decodeTapPattern(nlohmann::json(4)).ok());
    EXPECT_FALSE(decodeTapPattern(nlohmann::json("2")).ok());
}

TEST(ConfigurationValues, NumbersReadAsDoublesWithOrWithoutFraction)
{
    const std::string valid = documentWithAssignments("[]");
    EXPECT_EQ(decodeConfiguration(replaced(valid, "0.3", "1")).value().recognizer.cornerZone, 1.0);
    EXPECT_EQ(decodeConfiguration(replaced(valid, "0.3", "-2.5E-1")).value().recognizer.cornerZone, -0.25);
    EXPECT_EQ(decodeConfiguration(replaced(valid, "0.3", "18446744073709551615")).value().recognizer.cornerZone,
              18446744073709551615.0);
    EXPECT_EQ(decodeConfiguration(replaced(valid, "0.3", "123456789012345678901234567890")).value().recognizer.cornerZone,
              1.2345678901234568e29);
    EXPECT_FALSE(decodeConfiguration(replaced(valid, "0.3", "1e999")).ok());
    EXPECT_FALSE(decodeConfiguration(replaced(valid, "0.3", "\"0.3\"")).ok());
    EXPECT_FALSE(decodeConfiguration(replaced(valid, "\"isEnabled\": true", "\"isEnabled\": 1")).ok());
}

TEST(ConfigurationValues, UuidsReadInEitherCaseAndWriteInUpperCase)
{
    const Decoded<AppConfiguration> lower = decodeConfiguration(documentWithAssignments(
        R"([{"corner": "topLeft", "doubleTap": {"id": "abcdef01-2345-4789-8abc-def012345678",
            "kind": {"mute": {}}, "isEnabled": true}}])"));
    ASSERT_TRUE(lower.ok());
    EXPECT_EQ(lower.value().assignments[0].doubleTap->id,
              *platform::Uuid::fromString("ABCDEF01-2345-4789-8ABC-DEF012345678"));
    EXPECT_NE(encodeConfiguration(lower.value())->find("ABCDEF01-2345-4789-8ABC-DEF012345678"), std::string::npos);
    for (const char* bad : {"", "abcdef0123454789-8abc-def012345678", "{abcdef01-2345-4789-8abc-def012345678}",
                            "abcdef01-2345-4789-8abc-def01234567g"}) {
        EXPECT_FALSE(decodeUuid(nlohmann::json(bad)).ok()) << bad;
    }
}

TEST(ConfigurationWorkedExample, DecodesFourAssignmentsInFileOrder)
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

TEST(ConfigurationEncoding, WritesMembersInOrderAndLeavesOutAbsentOptionals)
{
    AppConfiguration configuration = AppConfiguration::defaultConfiguration();
    configuration.assignments[0].doubleTap = AssignedAction{firstId, ActionKind{ActionKind::OpenApp{"Files", std::nullopt}}, true};
    configuration.assignments[0].tripleTap = AssignedAction{firstId, ActionKind{ActionKind::SwitchApps{}}, false};
    EXPECT_EQ(*encodeConfiguration(configuration, JsonLayout::compact),
              R"({"isEnabled":true,"recognizer":{"cornerZone":0.3,"doubleTapWindow":0.45,"tripleTapWindow":0.2,)"
              R"("maximumTapDuration":0.28,"maximumTapTravel":0.08},"assignments":[{"corner":"topLeft",)"
              R"("doubleTap":{"id":"00000000-0000-4000-8000-000000000001","kind":{"openApp":{"name":"Files"}},"isEnabled":true},)"
              R"("tripleTap":{"id":"00000000-0000-4000-8000-000000000001","kind":{"switchApps":{}},"isEnabled":false}},)"
              R"({"corner":"topRight"},{"corner":"bottomLeft"},{"corner":"bottomRight"}]})");
}

TEST(ConfigurationEncoding, RefusesWhatJsonCannotCarry)
{
    AppConfiguration configuration = AppConfiguration::defaultConfiguration();
    configuration.recognizer.doubleTapWindow = std::numeric_limits<double>::infinity();
    EXPECT_FALSE(encodeConfiguration(configuration).has_value());
    configuration = AppConfiguration::defaultConfiguration();
    configuration.assignments[0].doubleTap = AssignedAction{firstId, ActionKind{ActionKind::TextSnippet{"\xff"}}, true};
    EXPECT_FALSE(encodeConfiguration(configuration).has_value());
}

TEST(ConfigurationRoundTrip, EveryKindAndAwkwardValuesSurviveEncodeThenDecode)
{
    AppConfiguration configuration;
    configuration.isEnabled = false;
    configuration.recognizer = {0.1 + 0.2, 1e-300, 123456789.125, -0.0, 5e300};
    const ActionKind kinds[] = {
        ActionKind{ActionKind::OpenApp{"Ünïcödé \"app\"", "org.example.App"}},
        ActionKind{ActionKind::OpenURL{"https://example.org/?a=1&b=\\"}},
        ActionKind{ActionKind::SwitchApps{}}, ActionKind{ActionKind::ShowAppSwitcher{}},
        ActionKind{ActionKind::NextInputSource{}}, ActionKind{ActionKind::ShowSpotlightSearch{}},
        ActionKind{ActionKind::Media{MediaCommand::previousTrack}}, ActionKind{ActionKind::Mute{}},
        ActionKind{ActionKind::TextSnippet{std::string("line\n\ttab\0nul", 13)}},
        ActionKind{ActionKind::RunShortcut{""}},
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

}  // namespace
}  // namespace quorvel
