#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace quorvel::testing {

// A temporary XDG tree that the process's XDG variables point into: data and config home in
// "home", data dirs in "usr", config dirs in "etc". GIO reads these once per process, so a test
// executable makes its tree before anything asks GIO.
struct TemporaryXdgTree {
    explicit TemporaryXdgTree(const std::string& name)
    {
        std::string pattern = (std::filesystem::temp_directory_path() / ("quorvel-" + name + "-XXXXXX")).string();
        root = ::mkdtemp(pattern.data());
        ::setenv("XDG_DATA_HOME", (root + "/home").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (root + "/home").c_str(), 1);
        ::setenv("XDG_DATA_DIRS", (root + "/usr").c_str(), 1);
        ::setenv("XDG_CONFIG_DIRS", (root + "/etc").c_str(), 1);
        ::setenv("GIO_USE_VFS", "local", 1);
    }
    ~TemporaryXdgTree() { std::filesystem::remove_all(root); }
    TemporaryXdgTree(const TemporaryXdgTree&) = delete;
    TemporaryXdgTree& operator=(const TemporaryXdgTree&) = delete;

    // Writes a file below the root, making its folders; its full path. `executable`: mode 0755.
    std::string write(const std::string& relative, const std::string& contents, bool executable = false) const
    {
        const std::filesystem::path file = std::filesystem::path(root) / relative;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file) << contents;
        if (executable) std::filesystem::permissions(file, std::filesystem::perms(0755));
        return file.string();
    }

    std::string root;
};

}  // namespace quorvel::testing
