#pragma once

#include <string>

namespace quorvel::testing {

// A temporary XDG tree that the process's XDG variables point into: data and config
// home in "home", data dirs in "usr", config dirs in "etc". GIO reads these once per
// process, so a test executable makes its tree before anything asks GIO.
struct TemporaryXdgTree {
    explicit TemporaryXdgTree(const std::string& name);
    ~TemporaryXdgTree();
    TemporaryXdgTree(const TemporaryXdgTree&) = delete;
    TemporaryXdgTree& operator=(const TemporaryXdgTree&) = delete;

    // Writes a file below the root, making its folders; its full path.
    std::string write(const std::string& relative, const std::string& contents) const;

    std::string root;
};

}  // namespace quorvel::testing
