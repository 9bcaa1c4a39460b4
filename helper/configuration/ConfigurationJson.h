#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include <QuorvelCore.h>

#include "helper/configuration/AppConfiguration.h"
#include "helper/configuration/DecodingError.h"

namespace quorvel {

// The JSON form of the configuration file.
//
// Reading: member names are matched exactly, members with other names are ignored at every
// level, a required member that is absent or null fails, an optional one that is absent or
// null is none, every number (with or without fraction or exponent) reads as a 64-bit float,
// UUIDs are accepted in either letter case. Decoding is all or nothing.
//
// Writing: members in a fixed order, absent optionals left out, UUIDs in upper case.

// --- the whole document ----------------------------------------------------------------------

// Parses (see parseStrictJson) and decodes the bytes of a configuration file.
Decoded<AppConfiguration> decodeConfiguration(std::span<const std::uint8_t> bytes);
Decoded<AppConfiguration> decodeConfiguration(std::string_view text);

enum class JsonLayout { compact, pretty };

// The file form of `configuration`. Absent when it holds something JSON cannot carry: a
// non-finite number or text that is not valid UTF-8.
std::optional<std::string> encodeConfiguration(const AppConfiguration& configuration,
                                               JsonLayout layout = JsonLayout::pretty);

// --- one value at a time, for the nested values ----------------------------------------------
// `path` names where `json` sits in its document, e.g. "assignments[1].doubleTap"; errors
// are reported at or below it.

Decoded<AppConfiguration> decodeAppConfiguration(const nlohmann::json& json, const std::string& path = {});
Decoded<RecognizerSettings> decodeRecognizerSettings(const nlohmann::json& json, const std::string& path = {});
Decoded<CornerAssignment> decodeCornerAssignment(const nlohmann::json& json, const std::string& path = {});
Decoded<AssignedAction> decodeAssignedAction(const nlohmann::json& json, const std::string& path = {});
Decoded<ActionKind> decodeActionKind(const nlohmann::json& json, const std::string& path = {});
Decoded<MediaCommand> decodeMediaCommand(const nlohmann::json& json, const std::string& path = {});
Decoded<TrackpadCorner> decodeTrackpadCorner(const nlohmann::json& json, const std::string& path = {});
Decoded<TapPattern> decodeTapPattern(const nlohmann::json& json, const std::string& path = {});
Decoded<platform::Uuid> decodeUuid(const nlohmann::json& json, const std::string& path = {});

// The one failure with a text of its own: an action kind object that names no case, or more
// than one.
inline constexpr std::string_view invalidActionKindKeysReason = "Invalid number of keys found, expected one.";

// Encoders keep members in the order written (ordered_json). A non-finite number comes out
// as null; encodeConfiguration refuses such a configuration instead.
nlohmann::ordered_json toJson(const AppConfiguration& configuration);
nlohmann::ordered_json toJson(const RecognizerSettings& settings);
nlohmann::ordered_json toJson(const CornerAssignment& assignment);
nlohmann::ordered_json toJson(const AssignedAction& action);
nlohmann::ordered_json toJson(const ActionKind& kind);
nlohmann::ordered_json toJson(MediaCommand command);
nlohmann::ordered_json toJson(TrackpadCorner corner);
nlohmann::ordered_json toJson(TapPattern pattern);
nlohmann::ordered_json toJson(const platform::Uuid& uuid);

}  // namespace quorvel
