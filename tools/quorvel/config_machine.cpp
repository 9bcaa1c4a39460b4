// The real look-ups of `quorvel config` and the warnings they feed.
#include "helper/configuration/ConfigurationJson.h"
#include "helper/configuration/ConfigurationStore.h"
#include "helper/configuration/SharedPaths.h"
#include "helper/configuration/editing/ConfigurationWarnings.h"
#include "platform/linux/desktop/DesktopEntryBundles.h"
#include "platform/linux/desktop/GioWorkspace.h"
#include "tools/quorvel/ConfigCommands.h"

namespace quorvel::tool::config {

struct AgentMachine::Backends {
    std::unique_ptr<linux_backend::DesktopEntryBundles> bundles = linux_backend::DesktopEntryBundles::forCurrentUser();
    linux_backend::GioWorkspace workspace{nullptr};
};

AgentMachine::AgentMachine()
    : backends_(std::make_unique<Backends>()),
      lookups_(std::make_unique<editing::MachineLookups>(*backends_->bundles, backends_->workspace,
                                                         shortcuts::shortcutsFolder()))
{
}

AgentMachine::~AgentMachine() = default;

std::filesystem::path agentConfigurationFile()
{
    return SharedPaths::applicationSupportDirectory() / SharedPaths::configurationFileName;
}

void printWarnings(const std::filesystem::path& file, AgentMachine& machine)
{
    const auto bytes = readWholeFile(file);
    if (!bytes) return;
    const auto written = decodeConfiguration(std::span(*bytes));
    const auto inForce = ConfigurationStore::load(std::span(*bytes));
    if (!written || !std::holds_alternative<AppConfiguration>(inForce)) return;
    for (const std::string& warning :
         editing::configurationWarnings(written.value(), std::get<AppConfiguration>(inForce), machine.lookups()))
        std::fprintf(stderr, "warning: %s\n", warning.c_str());
}

}  // namespace quorvel::tool::config
