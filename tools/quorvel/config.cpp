// `quorvel config`: where the agent's configuration lives, and whether the agent can use it.
#include <cstdio>
#include <string>
#include <variant>
#include <vector>

#include "helper/configuration/ConfigurationJson.h"
#include "helper/configuration/ConfigurationStore.h"
#include "helper/configuration/SharedPaths.h"
#include "tools/quorvel/Command.h"

namespace quorvel::tool {

namespace {

void printConfigHelp(std::FILE* out)
{
    std::fprintf(out,
                 "Usage: quorvel config <sub-command>\n"
                 "\n"
                 "Sub-commands:\n"
                 "  check [FILE]  Read FILE (default: the agent's configuration file) exactly as the agent\n"
                 "                does. If the agent can use it, print the configuration in force after\n"
                 "                the agent's own normalisation (outdated tuning values replaced,\n"
                 "                switched-off actions removed) and exit 0. Otherwise say where and why\n"
                 "                it fails and exit 1; the agent would then run with the default\n"
                 "                configuration.\n"
                 "  path          Print the path of the agent's configuration file.\n");
}

std::string describeLocation(const DecodingError& error)
{
    return error.path.empty() ? std::string() : " at " + error.path;
}

int check(const std::filesystem::path& file)
{
    const ConfigurationStore::LoadResult result = ConfigurationStore::load(file);
    if (const auto* failure = std::get_if<FileReadFailure>(&result)) {
        std::fprintf(stderr, "%s: cannot read the file: %s\n", file.c_str(), failure->reason.c_str());
        return 1;
    }
    if (const auto* error = std::get_if<DecodingError>(&result)) {
        const char* what = error->kind == DecodingError::Kind::notJson ? "not a JSON document" : "invalid configuration";
        std::fprintf(stderr, "%s: %s%s: %s\n", file.c_str(), what, describeLocation(*error).c_str(),
                     error->reason.c_str());
        return 1;
    }
    const std::optional<std::string> text = encodeConfiguration(std::get<AppConfiguration>(result));
    if (!text) {
        std::fprintf(stderr, "%s: the configuration cannot be written as JSON\n", file.c_str());
        return 1;
    }
    std::fputs(text->c_str(), stdout);
    return 0;
}

std::filesystem::path agentConfigurationFile()
{
    return SharedPaths::applicationSupportDirectory() / SharedPaths::configurationFileName;
}

}  // namespace

int runConfig(const std::vector<std::string>& arguments)
{
    if (arguments.empty()) {
        printConfigHelp(stderr);
        return 2;
    }
    const std::string& sub = arguments[0];
    if (sub == "--help" || sub == "-h" || sub == "help") {
        printConfigHelp(stdout);
        return 0;
    }
    if (sub == "check" && arguments.size() <= 2) {
        if (arguments.size() == 2 && (arguments[1] == "--help" || arguments[1] == "-h")) {
            printConfigHelp(stdout);
            return 0;
        }
        return check(arguments.size() == 2 ? std::filesystem::path(arguments[1]) : agentConfigurationFile());
    }
    if (sub == "path" && arguments.size() == 1) {
        std::printf("%s\n", agentConfigurationFile().c_str());
        return 0;
    }
    std::fprintf(stderr, "quorvel config: unexpected arguments\n\n");
    printConfigHelp(stderr);
    return 2;
}

}  // namespace quorvel::tool
