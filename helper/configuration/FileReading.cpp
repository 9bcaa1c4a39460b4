#include "helper/configuration/FileReading.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/UniqueFd.h"

namespace quorvel {

namespace {

FileReadFailure failureFromErrno(int error)
{
    return FileReadFailure{std::strerror(error), error == ENOENT || error == ENOTDIR};
}

std::optional<FileReadFailure> notARegularFile(const struct stat& status)
{
    if (S_ISDIR(status.st_mode)) return FileReadFailure{"is a directory"};
    if (!S_ISREG(status.st_mode)) return FileReadFailure{"not a regular file"};
    return std::nullopt;
}

}  // namespace

std::variant<std::vector<std::uint8_t>, FileReadFailure> readWholeFileOrFailure(const std::filesystem::path& path)
{
    // Only regular files: a device is not even opened, since opening some has side effects.
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) return failureFromErrno(errno);
    if (auto failure = notARegularFile(status)) return *failure;

    // O_NONBLOCK: should a FIFO replace the file in between, opening it must not wait for a
    // writer; the second check then refuses it.
    const platform::UniqueFd file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (file.get() < 0) return failureFromErrno(errno);
    if (::fstat(file.get(), &status) != 0) return failureFromErrno(errno);
    if (auto failure = notARegularFile(status)) return *failure;

    std::vector<std::uint8_t> bytes;
    // The size is a hint only: the file may change while it is read.
    bytes.reserve(std::min<std::size_t>(static_cast<std::size_t>(status.st_size), maximumReadableFileSize) + 1);
    std::uint8_t buffer[64 * 1024];
    for (;;) {
        const ssize_t count = ::read(file.get(), buffer, sizeof buffer);
        if (count < 0) {
            if (errno == EINTR) continue;
            return failureFromErrno(errno);
        }
        if (count == 0) break;
        if (bytes.size() + static_cast<std::size_t>(count) > maximumReadableFileSize) {
            return FileReadFailure{"larger than " + std::to_string(maximumReadableFileSize / 1024) + " KiB"};
        }
        bytes.insert(bytes.end(), buffer, buffer + count);
    }
    return bytes;
}

std::optional<std::vector<std::uint8_t>> readWholeFile(const std::filesystem::path& path)
{
    auto result = readWholeFileOrFailure(path);
    if (auto* bytes = std::get_if<std::vector<std::uint8_t>>(&result)) return std::move(*bytes);
    return std::nullopt;
}

}  // namespace quorvel
