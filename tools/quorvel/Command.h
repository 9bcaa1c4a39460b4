#pragma once

#include <string>
#include <vector>

namespace quorvel::tool {

// One top-level command of the `quorvel` tool: `quorvel <name> ...`.
struct Command {
    const char* name;
    const char* summary;  // one line for `quorvel --help`
    int (*run)(const std::vector<std::string>& arguments);  // arguments after the name
};

}  // namespace quorvel::tool
