#include "helper/configuration/StrictJsonParser.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace quorvel {

namespace {

using Json = nlohmann::json;

// The library's message without its own tags: "[json.exception.parse_error.101] parse error at
// line 1, column 17: syntax error ..." becomes "line 1, column 17: syntax error ...".
std::string inPlainWords(std::string message)
{
    if (message.starts_with("[json.exception.")) {
        const auto end = message.find("] ");
        if (end != std::string::npos) message.erase(0, end + 2);
    }
    constexpr std::string_view parseErrorAt = "parse error at ";
    if (message.starts_with(parseErrorAt)) message.erase(0, parseErrorAt.size());
    return message;
}

// Builds the tree from the library's event parser, which is iterative, so that depth and
// duplicate members are checked before the tree grows. Never throws for bad input: it
// records the first problem and stops the parser.
class TreeBuilder final : public nlohmann::json_sax<Json> {
public:
    explicit TreeBuilder(Json& root) : root_(root) {}

    const std::optional<DecodingError>& problem() const { return problem_; }

    bool null() override { return place(Json(nullptr)); }
    bool boolean(bool value) override { return place(Json(value)); }
    bool number_integer(number_integer_t value) override { return place(Json(value)); }
    bool number_unsigned(number_unsigned_t value) override { return place(Json(value)); }
    bool number_float(number_float_t value, const string_t&) override
    {
        if (!std::isfinite(value)) return fail("number out of the range of a 64-bit float");
        return place(Json(value));
    }
    bool string(string_t& value) override { return place(Json(std::move(value))); }
    bool binary(binary_t&) override { return fail("binary values are not JSON"); }

    bool start_object(std::size_t) override { return open(Json::value_t::object); }
    bool start_array(std::size_t) override { return open(Json::value_t::array); }
    bool end_object() override { return close(); }
    bool end_array() override { return close(); }

    bool key(string_t& name) override
    {
        auto& members = open_.back()->get_ref<Json::object_t&>();
        auto [slot, inserted] = members.try_emplace(std::move(name));
        if (!inserted) {
            // Valid JSON, but which value counts would be a guess: a rule of the file, not of
            // the syntax.
            return fail("member " + Json(slot->first).dump(-1, ' ', true, Json::error_handler_t::replace) +
                            " appears more than once in one object",
                        DecodingError::Kind::dataCorrupted);
        }
        pendingMember_ = &slot->second;
        return true;
    }

    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& error) override
    {
        return fail(inPlainWords(error.what()));
    }

private:
    bool fail(std::string reason, DecodingError::Kind kind = DecodingError::Kind::notJson)
    {
        if (!problem_) problem_ = DecodingError{kind, {}, std::move(reason)};
        return false;
    }

    // Puts a finished value where the parser is: the document, the next array element, or
    // the member whose name came last.
    Json* placeAndLocate(Json value)
    {
        if (open_.empty()) {
            root_ = std::move(value);
            return &root_;
        }
        Json& container = *open_.back();
        if (container.is_array()) {
            auto& elements = container.get_ref<Json::array_t&>();
            elements.push_back(std::move(value));
            return &elements.back();
        }
        Json* member = std::exchange(pendingMember_, nullptr);
        *member = std::move(value);
        return member;
    }
    bool place(Json value)
    {
        placeAndLocate(std::move(value));
        return true;
    }

    bool open(Json::value_t type)
    {
        if (open_.size() >= maximumJsonNesting) {
            return fail("nesting deeper than " + std::to_string(maximumJsonNesting) + " levels");
        }
        // Children are only added to the innermost open container, so the pointers to the
        // outer ones stay valid.
        open_.push_back(placeAndLocate(Json(type)));
        return true;
    }
    bool close()
    {
        open_.pop_back();
        return true;
    }

    Json& root_;
    std::vector<Json*> open_;
    Json* pendingMember_ = nullptr;
    std::optional<DecodingError> problem_;
};

DecodingError notJson(std::string reason)
{
    return DecodingError{DecodingError::Kind::notJson, {}, std::move(reason)};
}

}  // namespace

Decoded<Json> parseStrictJson(std::span<const std::uint8_t> bytes)
{
    // The library's lexer takes a zero byte for the end of the input and would accept
    // "{}\0anything". No valid JSON text holds a raw zero byte (not even inside a string).
    if (std::find(bytes.begin(), bytes.end(), std::uint8_t{0}) != bytes.end()) {
        return notJson("a zero byte is not allowed in a JSON text");
    }
    const bool blank = std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t byte) {
        return byte == ' ' || byte == '\t' || byte == '\n' || byte == '\r';
    });
    if (blank) return notJson("the document is empty");
    Json root;
    TreeBuilder builder(root);
    bool parsed = false;
    try {
        parsed = Json::sax_parse(bytes.begin(), bytes.end(), &builder, Json::input_format_t::json,
                                 /*strict=*/true, /*ignore_comments=*/false);
    } catch (const Json::exception& error) {
        // The event parser reports through parse_error; this only guards against the library
        // changing its mind about throwing.
        return notJson(inPlainWords(error.what()));
    }
    if (builder.problem()) return *builder.problem();
    if (!parsed) return notJson("not a JSON document");
    return root;
}

Decoded<Json> parseStrictJson(std::string_view text)
{
    return parseStrictJson(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

}  // namespace quorvel
