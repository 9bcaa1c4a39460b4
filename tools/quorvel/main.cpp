// `quorvel`: the companion tool for setting up and checking the agent.
#include <array>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tools/CommandLine.h"
#include "tools/quorvel/Command.h"

namespace quorvel::tool {
// Each command lives in a file of its own; list it here.
// (declarations)
int runDevices(const std::vector<std::string>& arguments);
int runReplay(const std::vector<std::string>& arguments);
int runConfig(const std::vector<std::string>& arguments);
int runWatch(const std::vector<std::string>& arguments);
int runStatus(const std::vector<std::string>& arguments);
int runDoctor(const std::vector<std::string>& arguments);
}  // namespace quorvel::tool

namespace {

using quorvel::tool::Command;

// clang-format off
const Command commands[] = {
    // (commands)
    {"devices", "List the touchpads and whether the agent can read them", quorvel::tool::runDevices},
    {"replay", "Run a recorded touchpad through the tap recogniser", quorvel::tool::runReplay},
    {"config", "Show, check and edit the configuration file", quorvel::tool::runConfig},
    {"watch", "Print live touches and gestures as the agent sees them, acting on none", quorvel::tool::runWatch},
    {"status", "Show what the running agent sees, or follow its gestures", quorvel::tool::runStatus},
    {"doctor", "Check what the agent needs on this machine, with the fix for each problem", quorvel::tool::runDoctor},
    {nullptr, nullptr, nullptr},
};
// clang-format on

void printHelp(std::FILE* out)
{
    std::fprintf(out,
                 "Usage: quorvel <command> [arguments]\n"
                 "\n"
                 "Companion tool of the Quorvel touchpad corner agent.\n"
                 "\n"
                 "Commands:\n");
    for (const Command& command : commands) {
        if (command.name) std::fprintf(out, "  %-10s %s\n", command.name, command.summary);
    }
    std::fprintf(out, "\nRun `quorvel <command> --help` for the arguments of a command.\n");
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        printHelp(argc < 2 ? stderr : stdout);
        return argc < 2 ? quorvel::tool::exitUsage : quorvel::tool::exitSuccess;
    }
    if (quorvel::tool::isVersionOption(argv[1])) {
        quorvel::tool::printVersion("quorvel");
        return quorvel::tool::exitSuccess;
    }
    for (const Command& command : commands) {
        if (command.name && std::strcmp(command.name, argv[1]) == 0) {
            return command.run(std::vector<std::string>(argv + 2, argv + argc));
        }
    }
    std::fprintf(stderr, "quorvel: unknown command '%s'\n\n", argv[1]);
    printHelp(stderr);
    return quorvel::tool::exitUsage;
}
