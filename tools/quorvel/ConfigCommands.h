#pragma once

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "helper/configuration/editing/MachineLookups.h"

// What the files of `quorvel config` share.
namespace quorvel::tool::config {

// The agent's configuration file.
std::filesystem::path agentConfigurationFile();

// The help of one sub-command, or of `quorvel config` itself for an empty or unknown name.
void printHelp(const std::string& subCommand, std::FILE* out);
// Its usage line(s) alone, for a wrong command line.
void printUsage(const std::string& subCommand, std::FILE* out);

// The machine as the agent sees it: its catalog over the desktop entries, GIO's URL parser,
// the shortcuts folder.
class AgentMachine {
public:
    AgentMachine();
    ~AgentMachine();
    editing::MachineLookups& lookups() { return *lookups_; }

private:
    struct Backends;
    std::unique_ptr<Backends> backends_;
    std::unique_ptr<editing::MachineLookups> lookups_;
};

// Prints "warning: ..." lines on standard error for what a usable configuration file holds
// that is surely not meant.
void printWarnings(const std::filesystem::path& file, AgentMachine& machine);

// `quorvel config edit`.
int editInEditor(const std::filesystem::path& file);

}  // namespace quorvel::tool::config
