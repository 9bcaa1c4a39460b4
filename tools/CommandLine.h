#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <QuorvelVersion.h>

// What every command-line program of the project shares: the exit statuses and the two
// options each program and sub-command answers.
namespace quorvel::tool {

inline constexpr int exitSuccess = 0;
inline constexpr int exitFailure = 1;  // the command could not do what was asked
inline constexpr int exitUsage = 2;    // the command line itself is wrong

inline bool isHelpOption(std::string_view argument) { return argument == "--help" || argument == "-h"; }
inline bool isVersionOption(std::string_view argument) { return argument == "--version"; }

// "quorvel 0.1.0" on standard output.
inline void printVersion(const char* program) { std::printf("%s %s\n", program, QUORVEL_VERSION); }

// When any of `arguments` is --help or --version, prints `usage` or the version of `program`
// on standard output and gives the status to exit with; nothing otherwise.
inline std::optional<int> answerHelpOrVersion(const std::vector<std::string>& arguments, const char* program,
                                              const char* usage)
{
    for (const std::string& argument : arguments) {
        if (isHelpOption(argument)) {
            std::fputs(usage, stdout);
            return exitSuccess;
        }
        if (isVersionOption(argument)) {
            printVersion(program);
            return exitSuccess;
        }
    }
    return std::nullopt;
}

}  // namespace quorvel::tool
