#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <variant>

#include "helper/configuration/DecodingError.h"
#include "helper/configuration/FileReading.h"

namespace quorvel {

// Why a configuration file cannot be used: it could not be read, or it is no configuration.
using ConfigurationProblem = std::variant<FileReadFailure, DecodingError>;

// The one description of an unusable configuration file, for every place that tells a person
// (the checker, `quorvel config show`, the agent's log): "FILE: where: why", with no parser's
// internals. `bytes` is what was read, if anything; it lets an unknown action kind be named.
std::string describeConfigurationProblem(const std::filesystem::path& file, const ConfigurationProblem& problem,
                                         std::span<const std::uint8_t> bytes = {});

}  // namespace quorvel
