#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <variant>

#include "helper/configuration/AppConfiguration.h"
#include "helper/configuration/DecodingError.h"
#include "helper/configuration/FileReading.h"
#include "helper/support/Published.h"

namespace quorvel {

// Turns the configuration file into the configuration in force: read the whole file, decode
// it, fall back to the default when either fails, migrate. Never writes or creates anything.
class ConfigurationStore {
public:
    // Loads SharedPaths::applicationSupportDirectory() / "configuration.json".
    ConfigurationStore();
    // Loads the given file instead (the checker tool, tests).
    explicit ConfigurationStore(std::filesystem::path fileURL);

    // The loaded, migrated configuration. Writable; observers hear of a change before it
    // takes effect. Nothing is written to disk.
    Published<AppConfiguration> configuration;

    const std::filesystem::path& fileURL() const { return fileURL_; }

    // What loading the file found, with the reason the store itself drops: the migrated
    // configuration, or why it could not be read or decoded.
    using LoadResult = std::variant<AppConfiguration, FileReadFailure, DecodingError>;
    static LoadResult load(const std::filesystem::path& fileURL);
    // The same for bytes already read.
    static std::variant<AppConfiguration, DecodingError> load(std::span<const std::uint8_t> bytes);

private:
    // Normalises every configuration the store produces: snaps three outdated recogniser
    // values to the current defaults, turns the stand-alone mute into the media form, and
    // drops switched-off actions. Pure; applying it twice changes nothing.
    static AppConfiguration migrate(AppConfiguration configuration);

    static AppConfiguration loadOrDefault(const std::filesystem::path& fileURL);

    std::filesystem::path fileURL_;
};

}  // namespace quorvel
