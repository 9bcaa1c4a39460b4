#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <variant>
#include <vector>

#include "helper/configuration/AppConfiguration.h"
#include "helper/configuration/FileReading.h"

namespace quorvel {

// Which configuration the agent runs with, and why: its file, or the default because there is
// no file or because the file cannot be used.
struct ConfigurationInForce {
    enum class Source { file, defaultWithoutFile, defaultForUnusableFile };

    std::filesystem::path file;
    Source source = Source::defaultWithoutFile;
    std::string problem;  // for an unusable file: describeConfigurationProblem's words

    friend bool operator==(const ConfigurationInForce&, const ConfigurationInForce&) = default;
};

// What the agent makes of one read of its configuration file: the migrated configuration
// when the bytes decode, else the default; and which of the two is in force, and why.
struct ConfigurationReading {
    AppConfiguration configuration;
    ConfigurationInForce inForce;
};

using FileReadResult = std::variant<std::vector<std::uint8_t>, FileReadFailure>;

ConfigurationReading readConfiguration(const std::filesystem::path& file, const FileReadResult& read);

}  // namespace quorvel
