#include "helper/configuration/ConfigurationStore.h"

#include <utility>

#include "helper/configuration/ConfigurationJson.h"
#include "helper/configuration/MemoryRelease.h"
#include "helper/configuration/SharedPaths.h"

namespace quorvel {

ConfigurationStore::ConfigurationStore()
    : ConfigurationStore(SharedPaths::applicationSupportDirectory() / SharedPaths::configurationFileName)
{
}

ConfigurationStore::ConfigurationStore(std::filesystem::path fileURL)
    : configuration(loadOrDefault(fileURL)), fileURL_(std::move(fileURL))
{
}

std::variant<AppConfiguration, DecodingError> ConfigurationStore::load(std::span<const std::uint8_t> bytes)
{
    Decoded<AppConfiguration> decoded = decodeConfiguration(bytes);
    if (bytes.size() >= largeDocumentSize) releaseFreedMemory();  // the document's tree is gone
    if (!decoded) return decoded.error();
    return migrate(std::move(decoded).value());
}

ConfigurationStore::LoadResult ConfigurationStore::load(const std::filesystem::path& fileURL)
{
    auto read = readWholeFileOrFailure(fileURL);
    if (auto* failure = std::get_if<FileReadFailure>(&read)) return std::move(*failure);
    auto loaded = load(std::get<std::vector<std::uint8_t>>(read));
    if (auto* error = std::get_if<DecodingError>(&loaded)) return std::move(*error);
    return std::get<AppConfiguration>(std::move(loaded));
}

AppConfiguration ConfigurationStore::loadOrDefault(const std::filesystem::path& fileURL)
{
    // Any failure falls back silently: the agent must keep running on a damaged file.
    LoadResult loaded = load(fileURL);
    if (auto* configuration = std::get_if<AppConfiguration>(&loaded)) return std::move(*configuration);
    return migrate(AppConfiguration::defaultConfiguration());
}

}  // namespace quorvel
