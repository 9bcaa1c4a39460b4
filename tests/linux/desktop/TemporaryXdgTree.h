#pragma once

#include <stdlib.h>

#include <string>

#include "tests/configuration/TestSupport.h"

namespace quorvel::testing {

// A temporary XDG tree that the process's XDG variables point into: data and config home in
// "home", data dirs in "usr", config dirs in "etc". GIO reads these once per process, so a test
// executable makes its tree before anything asks GIO.
struct TemporaryXdgTree : TemporaryDirectory {
    TemporaryXdgTree()
    {
        for (const auto& [variable, folder] : {std::pair{"XDG_DATA_HOME", "home"}, {"XDG_CONFIG_HOME", "home"},
                                               {"XDG_DATA_DIRS", "usr"}, {"XDG_CONFIG_DIRS", "etc"}})
            ::setenv(variable, (path / folder).c_str(), 1);
        ::setenv("GIO_USE_VFS", "local", 1);
    }

    // Writes a file below the root, making its folders; its full path. `executable`: mode 0755.
    std::string write(const std::string& relative, const std::string& contents, bool executable = false) const
    {
        writeFile(path / relative, contents);
        if (executable) std::filesystem::permissions(path / relative, std::filesystem::perms(0755));
        return (path / relative).string();
    }

    const std::string root = path.string();
};

}  // namespace quorvel::testing
