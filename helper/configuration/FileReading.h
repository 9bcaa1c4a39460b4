#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace quorvel {

// Files larger than this are not read: no configuration comes near it (one with every corner
// holding a long snippet is a few kilobytes), and decoding a runaway file must not take the
// agent's memory.
inline constexpr std::size_t maximumReadableFileSize = 1024 * 1024;

struct FileReadFailure {
    std::string reason;    // e.g. "No such file or directory", "not a regular file"
    bool missing = false;  // nothing at the path: not a problem of a file, just none
    friend bool operator==(const FileReadFailure&, const FileReadFailure&) = default;
};

// The whole content of the regular file at `path`. Anything else at that path (a directory,
// a FIFO, a device) fails at once without blocking, as do missing and unreadable files.
std::variant<std::vector<std::uint8_t>, FileReadFailure> readWholeFileOrFailure(const std::filesystem::path& path);

// The same, for callers that do not care why.
std::optional<std::vector<std::uint8_t>> readWholeFile(const std::filesystem::path& path);

}  // namespace quorvel
