#pragma once

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

namespace quorvel::testing {

// A fresh directory, removed with everything in it at the end of the test.
struct TemporaryDirectory {
    TemporaryDirectory()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "quorvel-config-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        path = pattern;
    }
    ~TemporaryDirectory() { std::error_code ignored; std::filesystem::remove_all(path, ignored); }
    std::filesystem::path path;
};

inline void writeFile(const std::filesystem::path& path, const std::string& text)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

inline std::string readText(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline mode_t modeOf(const std::filesystem::path& path)
{
    struct stat status {};
    ::stat(path.c_str(), &status);
    return status.st_mode & 07777;
}

#ifdef QUORVEL_CONFIGURATION_FIXTURES
inline std::filesystem::path fixture(const std::string& name) { return std::filesystem::path(QUORVEL_CONFIGURATION_FIXTURES) / name; }
#endif

// `text` with the first `from` replaced by `to`.
inline std::string replaced(std::string text, const std::string& from, const std::string& to)
{
    const auto at = text.find(from);
    if (at == std::string::npos) throw std::logic_error("no \"" + from + "\" in the text");
    return text.replace(at, from.size(), to);
}

// A valid document around the given assignments (a JSON array).
inline std::string documentWithAssignments(const std::string& assignments)
{
    return R"({"isEnabled": true, "recognizer": {"cornerZone": 0.3, "doubleTapWindow": 0.45,
        "tripleTapWindow": 0.2, "maximumTapDuration": 0.28, "maximumTapTravel": 0.08},
        "assignments": )" + assignments + "}";
}

// A valid document whose only assignment has a double-tap action of the given kind (JSON).
inline std::string documentWithKind(const std::string& kind)
{
    return documentWithAssignments(R"([{"corner": "topLeft", "doubleTap": {
        "id": "00000000-0000-4000-8000-000000000001", "kind": )" + kind + R"(, "isEnabled": true}}])");
}

}  // namespace quorvel::testing
