// Bytes that are not one clean JSON document, and the conformance corpus through the decoder.
#include <gtest/gtest.h>

#include "helper/configuration/ConfigurationJson.h"
#include "helper/configuration/StrictJsonParser.h"
#include "tests/configuration/TestSupport.h"

namespace quorvel {
namespace {

const std::filesystem::path corpus = std::filesystem::path(QUORVEL_SHARED_TESTDATA) / "json/JSONTestSuite-test_parsing";

bool parses(std::string_view text) { return parseStrictJson(text).ok(); }

TEST(StrictJsonParser, RejectsWhatTheLibraryWouldLetThrough)
{
    // A member named twice: which value counts would be a guess.
    EXPECT_FALSE(parses(R"({"x": [{"isEnabled": true, "isEnabled": false}]})"));
    EXPECT_TRUE(parses(R"({"a": {"a": 1}, "b": [{"a": 1}, {"a": 2}]})"));
    const auto twice = decodeConfiguration(testing::replaced(testing::documentWithAssignments("[]"), "{", R"({"isEnabled": false, )"));
    EXPECT_EQ(twice.error().kind, DecodingError::Kind::dataCorrupted);
    // The lexer takes a zero byte for the end of the input.
    EXPECT_FALSE(parses(std::string("{}\0{\"a\"", 7)));
}

TEST(StrictJsonParser, LimitsNestingWithoutRecursing)
{
    auto nested = [](std::size_t depth) { return std::string(depth, '[') + std::string(depth, ']'); };
    EXPECT_TRUE(parses(nested(maximumJsonNesting)));
    EXPECT_FALSE(parses(nested(maximumJsonNesting + 1)));
    EXPECT_FALSE(parseStrictJson(testing::readText(corpus / "n_structure_100000_opening_arrays.json")).ok());
}

TEST(StrictJsonParser, NumbersBeyondTheRangeOfADouble)
{
    EXPECT_TRUE(parses("123456789012345678901234567890"));
    EXPECT_TRUE(parses("-9223372036854775809"));
    for (const char* bad : {"1e400", "-1e400", "NaN", "Infinity"}) EXPECT_FALSE(parses(bad)) << bad;
}

TEST(StrictJsonParser, EncodingAndSurroundingsOfTheDocument)
{
    for (const char* bad : {"\"\xff\"", "\"\xc0\xaf\"", "\"\xed\xa0\x80\"", R"("\ud800")", "\xEF\xBB\xBF\xEF\xBB\xBF{}",
                            "\xFE\xFF{}", "{}{}", "{} x", "", "   ", "{} // comment"}) {
        EXPECT_FALSE(parses(bad)) << bad;
    }
    EXPECT_TRUE(parses("\xEF\xBB\xBF{}"));  // a UTF-8 byte-order mark, as editors write it
    EXPECT_TRUE(parses(" \t\r\n{\"caf\xc3\xa9\": 1} \n\n"));
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
        if (name.starts_with("y_")) {
            EXPECT_NE(decoded.error().kind, DecodingError::Kind::notJson) << name;
        } else if (name.starts_with("n_")) {
            EXPECT_EQ(decoded.error().kind, DecodingError::Kind::notJson) << name;
        }
    }
    EXPECT_GT(files, 300u);
}

}  // namespace
}  // namespace quorvel
