#include "tools/inspection/HelperLock.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

namespace quorvel::inspection {

namespace {

// "fe:00:10954618": major and minor in hexadecimal, the inode in decimal.
bool sameFile(const std::string& field, const struct stat& file)
{
    unsigned long major = 0, minor = 0, inode = 0;
    char colon1 = 0, colon2 = 0;
    std::istringstream in(field);
    in >> std::hex >> major >> colon1 >> minor >> colon2 >> std::dec >> inode;
    return in && colon1 == ':' && colon2 == ':' && major == ::major(file.st_dev) && minor == ::minor(file.st_dev) &&
           inode == file.st_ino;
}

}  // namespace

LockHolder lockHolder(const std::filesystem::path& lockFile, const std::filesystem::path& lockTable)
{
    struct stat file {};
    if (::stat(lockFile.c_str(), &file) != 0) {
        if (errno == ENOENT) return {LockHolder::State::free, std::nullopt, {}};
        return {LockHolder::State::cannotTell, std::nullopt, lockFile.string() + ": " + std::strerror(errno)};
    }
    std::ifstream table(lockTable);
    if (!table) return {LockHolder::State::cannotTell, std::nullopt, lockTable.string() + " cannot be read"};
    // "1: FLOCK  ADVISORY  WRITE 4822 fe:00:10954618 0 EOF"; waiting locks carry "->" after
    // the number and hold nothing.
    for (std::string line; std::getline(table, line);) {
        std::istringstream fields(line);
        std::string number, type, advisory, mode, device;
        long pid = 0;
        if (!(fields >> number >> type) || type == "->") continue;
        if (!(fields >> advisory >> mode >> pid >> device)) continue;
        if (!sameFile(device, file)) continue;
        return {LockHolder::State::held, pid > 0 ? std::optional(pid) : std::nullopt, {}};
    }
    return {LockHolder::State::free, std::nullopt, {}};
}

}  // namespace quorvel::inspection
