// Bytes that are not one clean JSON document, and the conformance corpus through the decoder.
#include <gtest/gtest.h>

#include "helper/configuration/ConfigurationJson.h"
#include "helper/configuration/StrictJsonParser.h"
#include "tests/configuration/TestSupport.h"

namespace quorvel {
namespace {

const std::filesystem::path corpus = std::filesystem::path(QUORVEL_SHARED_TESTDATA) / "json/JSONTestSuite-test_parsing";

TEST(StrictJsonParser, DuplicatesDepthOverflowEncodingAndWhatSurroundsTheDocument)
{
    const std::string deepest = std::string(maximumJsonNesting, '[') + std::string(maximumJsonNesting, ']');
    const std::pair<std::string, bool> cases[] = {
        {R"({"x": [{"isEnabled": true, "isEnabled": false}]})", false},  // which value counts would be a guess
        {R"({"a": {"a": 1}, "b": [{"a": 1}, {"a": 2}]})", true},
        {deepest, true}, {"[" + deepest + "]", false},
        {"123456789012345678901234567890", true}, {"-9223372036854775809", true},
        {"1e400", false}, {"-1e400", false}, {"NaN", false}, {"Infinity", false},
        {"\xEF\xBB\xBF{}", true},  // a UTF-8 byte-order mark, as editors write it
        {" \t\r\n{\"caf\xc3\xa9\": 1} \n\n", true},
        {"\"\xff\"", false}, {"\"\xc0\xaf\"", false}, {"\"\xed\xa0\x80\"", false}, {R"("\ud800")", false},
        {"\xEF\xBB\xBF\xEF\xBB\xBF{}", false}, {"\xFE\xFF{}", false}, {"{}{}", false}, {"{} x", false},
        {"", false}, {"   ", false}, {"{} // comment", false},
        {std::string("{}\0{\"a\"", 7), false},  // the lexer would take the zero byte for the end
    };
    for (const auto& [text, parses] : cases) EXPECT_EQ(parseStrictJson(text).ok(), parses) << text;
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

}  // namespace
}  // namespace quorvel
