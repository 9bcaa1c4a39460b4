// The action kind: the one-key rule, payload objects and their fields, hashing.
#include <unordered_set>

#include <gtest/gtest.h>

#include "helper/configuration/ConfigurationJson.h"
#include "helper/configuration/StrictJsonParser.h"

namespace quorvel {
namespace {

Decoded<ActionKind> kindFrom(std::string_view text)
{
    Decoded<nlohmann::json> json = parseStrictJson(text);
    EXPECT_TRUE(json.ok()) << text;
    return decodeActionKind(json.value(), "kind");
}

void expectOneKeyFailure(std::string_view text)
{
    const Decoded<ActionKind> kind = kindFrom(text);
    ASSERT_FALSE(kind.ok()) << text;
    EXPECT_EQ(kind.error().kind, DecodingError::Kind::typeMismatch);
    EXPECT_EQ(kind.error().path, "kind");
    EXPECT_EQ(kind.error().reason, "Invalid number of keys found, expected one.");
}

TEST(ActionKindOneKeyRule, ExactlyOneCaseNameDecidesTheCaseAndOtherMembersAreIgnored)
{
    EXPECT_EQ(kindFrom(R"({"mute": {}})").value(), ActionKind{ActionKind::Mute{}});
    EXPECT_EQ(kindFrom(R"({"mute": {}, "note": 1})").value(), ActionKind{ActionKind::Mute{}});
    EXPECT_EQ(kindFrom(R"({"Media": 1, "runShortcut": {"name": "Focus"}})").value(),
              ActionKind{ActionKind::RunShortcut{"Focus"}});
}

TEST(ActionKindOneKeyRule, NoCaseNameOrSeveralFailWithTheFixedDescription)
{
    expectOneKeyFailure(R"({})");
    expectOneKeyFailure(R"({"Mute": {}})");
    expectOneKeyFailure(R"({"mute": {}, "media": {"command": "mute"}})");
    expectOneKeyFailure(R"({"openApp": {"name": "a"}, "openURL": {"urlString": "b"}})");
}

TEST(ActionKindOneKeyRule, TheKindAndItsPayloadMustBeObjects)
{
    EXPECT_FALSE(kindFrom(R"("mute")").ok());
    EXPECT_FALSE(kindFrom(R"([{"mute": {}}])").ok());
    for (const char* payload : {"null", "true", "\"\"", "[]", "0"}) {
        const Decoded<ActionKind> kind = kindFrom(std::string(R"({"switchApps": )") + payload + "}");
        ASSERT_FALSE(kind.ok()) << payload;
        EXPECT_EQ(kind.error().path, "kind.switchApps");
    }
    EXPECT_EQ(kindFrom(R"({"switchApps": {"x": 1}})").value(), ActionKind{ActionKind::SwitchApps{}});
}

TEST(ActionKindPayload, EveryCaseReadsItsLabelledFields)
{
    EXPECT_EQ(kindFrom(R"({"openApp": {"name": "Safari", "bundleIdentifier": "com.apple.Safari"}})").value(),
              ActionKind{(ActionKind::OpenApp{"Safari", "com.apple.Safari"})});
    EXPECT_EQ(kindFrom(R"({"openURL": {"urlString": "https://example.org"}})").value(),
              ActionKind{ActionKind::OpenURL{"https://example.org"}});
    EXPECT_EQ(kindFrom(R"({"textSnippet": {"text": "Hi\nthere"}})").value(),
              ActionKind{ActionKind::TextSnippet{"Hi\nthere"}});
    EXPECT_EQ(kindFrom(R"({"media": {"command": "volumeUp"}})").value(),
              ActionKind{ActionKind::Media{MediaCommand::volumeUp}});
    EXPECT_EQ(kindFrom(R"({"showAppSwitcher": {}})").value(), ActionKind{ActionKind::ShowAppSwitcher{}});
    EXPECT_EQ(kindFrom(R"({"nextInputSource": {}})").value(), ActionKind{ActionKind::NextInputSource{}});
}

TEST(ActionKindPayload, BundleIdentifierIsTheOnlyOptionalField)
{
    const ActionKind withoutBundle{ActionKind::OpenApp{"Safari", std::nullopt}};
    EXPECT_EQ(kindFrom(R"({"openApp": {"name": "Safari"}})").value(), withoutBundle);
    EXPECT_EQ(kindFrom(R"({"openApp": {"name": "Safari", "bundleIdentifier": null}})").value(), withoutBundle);

    const Decoded<ActionKind> noName = kindFrom(R"({"openApp": {"bundleIdentifier": "com.apple.Safari"}})");
    ASSERT_FALSE(noName.ok());
    EXPECT_EQ(noName.error().kind, DecodingError::Kind::keyNotFound);
    EXPECT_EQ(noName.error().path, "kind.openApp.name");
    EXPECT_EQ(kindFrom(R"({"openApp": {"name": null}})").error().kind, DecodingError::Kind::valueNotFound);
    EXPECT_FALSE(kindFrom(R"({"openURL": {}})").ok());
    EXPECT_FALSE(kindFrom(R"({"textSnippet": {"text": 5}})").ok());
}

TEST(ActionKindPayload, MediaCommandsAreExactRawValues)
{
    for (MediaCommand command : MediaCommand::allCases()) {
        const std::string text = R"({"media": {"command": ")" + std::string(command.rawValue()) + R"("}})";
        EXPECT_EQ(kindFrom(text).value(), ActionKind{ActionKind::Media{command}});
    }
    for (const char* bad : {R"("VolumeUp")", R"("volumeup")", R"("")", "1", "null"}) {
        EXPECT_FALSE(kindFrom(std::string(R"({"media": {"command": )") + bad + "}}").ok()) << bad;
    }
}

TEST(ActionKindHash, DistinguishesCasesAndPayloads)
{
    const std::hash<ActionKind> hash;
    // mute and media(mute) are different values and must not collide by construction.
    const std::unordered_set<std::size_t> hashes{
        hash(ActionKind{ActionKind::Mute{}}),
        hash(ActionKind{ActionKind::Media{MediaCommand::mute}}),
        hash(ActionKind{ActionKind::OpenApp{"a", std::nullopt}}),
        hash(ActionKind{ActionKind::OpenApp{"a", ""}}),
        hash(ActionKind{ActionKind::OpenApp{"a", "b"}}),
        hash(ActionKind{ActionKind::RunShortcut{"a"}}),
        hash(ActionKind{ActionKind::TextSnippet{"a"}}),
    };
    EXPECT_EQ(hashes.size(), 7u);
    EXPECT_EQ(hash(ActionKind{ActionKind::OpenApp{"a", "b"}}), hash(ActionKind{ActionKind::OpenApp{"a", "b"}}));
}

}  // namespace
}  // namespace quorvel
