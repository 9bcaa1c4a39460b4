#include "tests/linux/desktop/TemporaryXdgTree.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>

namespace quorvel::testing {

namespace fs = std::filesystem;

TemporaryXdgTree::TemporaryXdgTree(const std::string& name)
{
    std::string pattern = (fs::temp_directory_path() / ("quorvel-" + name + "-XXXXXX")).string();
    root = ::mkdtemp(pattern.data());
    for (const char* variable : {"XDG_DATA_HOME", "XDG_CONFIG_HOME"}) ::setenv(variable, (root + "/home").c_str(), 1);
    ::setenv("XDG_DATA_DIRS", (root + "/usr").c_str(), 1);
    ::setenv("XDG_CONFIG_DIRS", (root + "/etc").c_str(), 1);
    ::setenv("GIO_USE_VFS", "local", 1);
}

TemporaryXdgTree::~TemporaryXdgTree() { fs::remove_all(root); }

std::string TemporaryXdgTree::write(const std::string& relative, const std::string& contents) const
{
    const fs::path file = fs::path(root) / relative;
    fs::create_directories(file.parent_path());
    std::ofstream(file) << contents;
    return file.string();
}

}  // namespace quorvel::testing
