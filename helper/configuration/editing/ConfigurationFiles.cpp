#include "helper/configuration/editing/ConfigurationFiles.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "helper/configuration/SharedPaths.h"
#include "platform/UniqueFd.h"

namespace quorvel::editing {

namespace fs = std::filesystem;

namespace {

std::string failure(const std::string& what, const fs::path& path, int error = errno)
{
    return "cannot " + what + " " + path.string() + ": " + std::strerror(error);
}

bool writeAll(int fd, std::string_view content)
{
    while (!content.empty()) {
        const ssize_t count = ::write(fd, content.data(), content.size());
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) return false;
        content.remove_prefix(static_cast<std::size_t>(count));
    }
    return true;
}

// Where the bytes of `file` really live: a symbolic link's target (relative to the link's
// folder), else the file itself.
fs::path resolved(const fs::path& file)
{
    fs::path path = file;
    std::error_code error;
    for (int hops = 0; hops < 40 && fs::is_symlink(fs::symlink_status(path, error)); ++hops) {
        const fs::path target = fs::read_symlink(path, error);
        if (error) break;
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    return path;
}

}  // namespace

std::optional<std::string> writeFileAtomically(const fs::path& file, std::string_view content, bool mustNotExist)
{
    const fs::path target = resolved(file);
    const fs::path folder = target.parent_path();
    if (auto problem = SharedPaths::createPrivateDirectories(folder)) return problem;

    mode_t mode = 0600;
    struct stat status {};
    if (::stat(target.c_str(), &status) == 0) {
        if (mustNotExist) return target.string() + " already exists";
        mode = status.st_mode & 07777;
    }
    std::string temporary = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
    platform::UniqueFd out(::mkostemp(temporary.data(), O_CLOEXEC));
    if (out.get() < 0) return failure("create a file in", folder);
    const auto give_up = [&temporary](std::string why) {
        ::unlink(temporary.c_str());
        return std::optional(std::move(why));
    };
    if (!writeAll(out.get(), content)) return give_up(failure("write", temporary));
    if (::fchmod(out.get(), mode) != 0) return give_up(failure("set the permissions of", temporary));
    if (::fsync(out.get()) != 0) return give_up(failure("flush", temporary));
    if (!out.close()) return give_up(failure("write", temporary));
    if (mustNotExist) {
        // link() never replaces: a file made meanwhile is left alone.
        const bool linked = ::link(temporary.c_str(), target.c_str()) == 0;
        const int error = errno;
        ::unlink(temporary.c_str());
        if (!linked) return error == EEXIST ? target.string() + " already exists" : failure("create", target, error);
    } else if (::rename(temporary.c_str(), target.c_str()) != 0) {
        return give_up(failure("replace", target));
    }
    // The rename itself must reach the disk too.
    const platform::UniqueFd directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory.get() >= 0) ::fsync(directory.get());
    return std::nullopt;
}

std::variant<fs::path, std::string> keepCopyBeside(const fs::path& file)
{
    const fs::path source = resolved(file);
    const platform::UniqueFd in(::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (in.get() < 0) return failure("read", source);
    for (int attempt = 1; attempt < 1000; ++attempt) {
        const fs::path copy = source.string() + ".unusable" + (attempt == 1 ? "" : "-" + std::to_string(attempt));
        platform::UniqueFd out(::open(copy.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        if (out.get() < 0 && errno == EEXIST) continue;
        if (out.get() < 0) return failure("create", copy);
        char buffer[64 * 1024];
        for (;;) {
            const ssize_t count = ::read(in.get(), buffer, sizeof buffer);
            if (count < 0 && errno == EINTR) continue;
            if (count == 0) break;
            if (count < 0 || !writeAll(out.get(), {buffer, static_cast<std::size_t>(count)})) {
                const std::string why = failure("copy to", copy);
                ::unlink(copy.c_str());
                return why;
            }
        }
        if (::fsync(out.get()) != 0 || !out.close()) return failure("write", copy);
        return copy;
    }
    return "cannot find a free name for a copy of " + source.string();
}

std::variant<EditLock, std::string> EditLock::acquire(const fs::path& folder)
{
    if (auto problem = SharedPaths::createPrivateDirectories(folder)) return *problem;
    const fs::path path = folder / fileName;
    platform::UniqueFd file(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    if (!file.valid()) return failure("open the lock file", path);
    int locked = 0;
    while ((locked = ::flock(file.get(), LOCK_EX)) != 0 && errno == EINTR) {
    }
    if (locked != 0) return failure("lock", path);
    return EditLock(std::move(file));
}

}  // namespace quorvel::editing
