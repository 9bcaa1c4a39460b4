#pragma once

#include <string>
#include <utility>
#include <variant>

namespace quorvel {

// Why a document could not be decoded, and where. The store drops these; the agent's log and the
// `quorvel config` commands tell them (see ConfigurationProblem.h).
struct DecodingError {
    enum class Kind {
        notJson,        // the bytes are not one acceptable JSON document
        typeMismatch,   // a value of the wrong JSON type, or the wrong shape for its type
        keyNotFound,    // a required member is absent
        valueNotFound,  // a required member is null
        dataCorrupted,  // the right JSON type, but not a valid value (corner, command, UUID ...)
    };

    Kind kind = Kind::notJson;
    // Where the failure sits, e.g. "assignments[1].doubleTap.kind"; empty for the document.
    std::string path;
    std::string reason;

    friend bool operator==(const DecodingError&, const DecodingError&) = default;
};

// The result of a decoding: a value or the error that prevented it. Never both.
template <class T>
class Decoded {
public:
    Decoded(T value) : state_(std::in_place_index<0>, std::move(value)) {}                 // NOLINT
    Decoded(DecodingError error) : state_(std::in_place_index<1>, std::move(error)) {}     // NOLINT

    bool ok() const { return state_.index() == 0; }
    explicit operator bool() const { return ok(); }

    // Only when ok().
    const T& value() const& { return std::get<0>(state_); }
    T&& value() && { return std::get<0>(std::move(state_)); }
    // Only when !ok().
    const DecodingError& error() const { return std::get<1>(state_); }

private:
    std::variant<T, DecodingError> state_;
};

}  // namespace quorvel
