// Bytes that are not one clean JSON document: the parser's own rules, and the conformance corpus
// run through the whole decoder.
#include <filesystem>

#include <gtest/gtest.h>

#include "helper/configuration/ConfigurationJson.h"
#include "helper/configuration/StrictJsonParser.h"
#include "tests/configuration/TestSupport.h"

namespace quorvel {
namespace {

const std::filesystem::path sharedTestData = QUORVEL_SHARED_TESTDATA;

bool parses(std::string_view text) { return parseStrictJson(text).ok(); }

TEST(StrictJsonParser, RejectsObjectsThatNameAMemberTwice)
{
    EXPECT_FALSE(parses(R"({"a": 1, "a": 1})"));
    EXPECT_FALSE(parses(R"({"x": [{"isEnabled": true, "isEnabled": false}]})"));
    EXPECT_TRUE(parses(R"({"a": {"a": 1}, "b": [{"a": 1}, {"a": 2}]})"));
    const Decoded<AppConfiguration> decoded =
        decodeConfiguration(testing::replaced(testing::documentWithAssignments("[]"), "{", R"({"isEnabled": false, )"));
    ASSERT_FALSE(decoded.ok());
    EXPECT_EQ(decoded.error().kind, DecodingError::Kind::dataCorrupted);
    EXPECT_NE(decoded.error().reason.find("isEnabled"), std::string::npos);
}

TEST(StrictJsonParser, LimitsNestingWithoutRecursing)
{
    auto nested = [](std::size_t depth) { return std::string(depth, '[') + std::string(depth, ']'); };
    EXPECT_TRUE(parses(nested(maximumJsonNesting)));
    EXPECT_FALSE(parses(nested(maximumJsonNesting + 1)));
    EXPECT_FALSE(parses(std::string(1'000'000, '[')));
    const auto deep = sharedTestData / "json/JSONTestSuite-test_parsing/n_structure_100000_opening_arrays.json";
    EXPECT_FALSE(parseStrictJson(testing::readText(deep)).ok());
}

TEST(StrictJsonParser, NumbersBeyondTheLimitsOfADouble)
{
    EXPECT_TRUE(parses("123456789012345678901234567890"));
    EXPECT_TRUE(parses("-9223372036854775809"));
    EXPECT_FALSE(parses("1e400"));
    EXPECT_FALSE(parses("-1e400"));
    EXPECT_TRUE(parses("1e-400"));  // underflows to zero, which is finite
    EXPECT_FALSE(parses("NaN"));
    EXPECT_FALSE(parses("Infinity"));
}

TEST(StrictJsonParser, EncodingOfTheBytes)
{
    EXPECT_FALSE(parses("\"\xff\""));
    EXPECT_FALSE(parses("\"\xc0\xaf\""));         // overlong
    EXPECT_FALSE(parses("\"\xed\xa0\x80\""));     // encoded surrogate
    EXPECT_FALSE(parses(R"("\ud800")"));           // lone escaped surrogate
    EXPECT_TRUE(parses("\"caf\xc3\xa9\""));
    EXPECT_TRUE(parses("\xEF\xBB\xBF{}"));        // a UTF-8 byte-order mark, as editors write it
    EXPECT_FALSE(parses("\xEF\xBB\xBF\xEF\xBB\xBF{}"));
    EXPECT_FALSE(parses("\xFE\xFF{}"));
    EXPECT_FALSE(parses(std::string("{}\0", 3)));
    EXPECT_FALSE(parses(std::string("{}\0{\"a\"", 7)));
}

TEST(StrictJsonParser, ExactlyOneDocument)
{
    EXPECT_TRUE(parses(" \t\r\n{} \n\n"));
    EXPECT_FALSE(parses("{}{}"));
    EXPECT_FALSE(parses("{} x"));
    EXPECT_FALSE(parses(""));
    EXPECT_FALSE(parses("   "));
    EXPECT_FALSE(parses("{} // comment"));
}

TEST(JsonConformanceCorpus, EveryFileEndsInACleanDecodingFailure)
{
    const auto corpus = sharedTestData / "json/JSONTestSuite-test_parsing";
    ASSERT_TRUE(std::filesystem::is_directory(corpus)) << "missing test data: " << corpus;
    std::size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
        const std::string name = entry.path().filename().string();
        const std::string bytes = testing::readText(entry.path());
        const Decoded<AppConfiguration> decoded = decodeConfiguration(bytes);
        ++files;
        ASSERT_FALSE(decoded.ok()) << name;
        if (name.starts_with("y_")) {
            // Valid JSON: the configuration's rules must be what rejects it.
            EXPECT_NE(decoded.error().kind, DecodingError::Kind::notJson) << name << ": " << decoded.error().reason;
        } else if (name.starts_with("n_")) {
            EXPECT_EQ(decoded.error().kind, DecodingError::Kind::notJson) << name;
        }
    }
    EXPECT_GT(files, 300u);
}

}  // namespace
}  // namespace quorvel
