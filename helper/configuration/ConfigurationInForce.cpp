#include "helper/configuration/ConfigurationInForce.h"

#include "helper/configuration/ConfigurationProblem.h"
#include "helper/configuration/ConfigurationStore.h"
#include "helper/configuration/MemoryRelease.h"

namespace quorvel {

ConfigurationReading readConfiguration(const std::filesystem::path& file, const FileReadResult& read)
{
    using Source = ConfigurationInForce::Source;
    // The store's own fallback: the default, migrated (which leaves it as it is).
    ConfigurationReading reading{AppConfiguration::defaultConfiguration(), {file, Source::defaultWithoutFile, {}}};
    if (const auto* failure = std::get_if<FileReadFailure>(&read)) {
        if (!failure->missing) {
            reading.inForce.source = Source::defaultForUnusableFile;
            reading.inForce.problem = describeConfigurationProblem(file, *failure);
        }
        return reading;
    }
    const auto& bytes = std::get<std::vector<std::uint8_t>>(read);
    auto loaded = ConfigurationStore::load(bytes);
    if (auto* error = std::get_if<DecodingError>(&loaded)) {
        reading.inForce.source = Source::defaultForUnusableFile;
        reading.inForce.problem = describeConfigurationProblem(file, *error, bytes);
        if (bytes.size() >= largeDocumentSize) releaseFreedMemory();  // the description may parse again
        return reading;
    }
    reading.configuration = std::get<AppConfiguration>(std::move(loaded));
    reading.inForce.source = Source::file;
    return reading;
}

}  // namespace quorvel
