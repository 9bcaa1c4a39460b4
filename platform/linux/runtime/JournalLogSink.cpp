#include "platform/linux/runtime/JournalLogSink.h"

#include <sys/stat.h>
#include <sys/uio.h>
#include <systemd/sd-journal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>

namespace quorvel::linux_backend {

namespace {

constexpr const char* syslogIdentifier = "quorvel-helper";

const char* levelName(platform::LogLevel level) { return level == platform::LogLevel::error ? "error" : "info"; }

// syslog priorities: 3 = err, 6 = info.
const char* priority(platform::LogLevel level) { return level == platform::LogLevel::error ? "3" : "6"; }

}  // namespace

JournalLogSink::JournalLogSink()
    : JournalLogSink(isJournalStream(STDERR_FILENO, std::getenv("JOURNAL_STREAM")) ? Destination::journal
                                                                                  : Destination::stream,
                     STDERR_FILENO)
{
}

JournalLogSink::JournalLogSink(Destination destination, int streamFd) : destination_(destination), streamFd_(streamFd)
{
}

void JournalLogSink::write(platform::LogLevel level, std::string_view subsystem, std::string_view category,
                           std::string_view, std::string_view message)
{
    // A line with nothing to read (empty, or only spaces and control characters) is noise.
    const auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' ' || c == '\x7f'; };
    if (std::all_of(message.begin(), message.end(), blank)) return;
    if (destination_ == Destination::journal && sendToJournal(level, subsystem, category, message)) return;
    writeToStream(streamLine(level, category, message));
}

std::vector<JournalField> JournalLogSink::journalFields(platform::LogLevel level, std::string_view subsystem,
                                                        std::string_view category, std::string_view message)
{
    return {
        {"MESSAGE", std::string(message)},
        {"PRIORITY", priority(level)},
        {"SYSLOG_IDENTIFIER", syslogIdentifier},
        {"QUORVEL_SUBSYSTEM", std::string(subsystem)},
        {"QUORVEL_CATEGORY", std::string(category)},
    };
}

std::string JournalLogSink::streamLine(platform::LogLevel level, std::string_view category, std::string_view message)
{
    std::string line = levelName(level);
    line += " [";
    line += category;
    line += "] ";
    line += message;
    line += '\n';
    return line;
}

bool JournalLogSink::isJournalStream(int fd, const char* journalStream)
{
    if (!journalStream) return false;
    std::uintmax_t device = 0;
    std::uintmax_t inode = 0;
    int consumed = 0;
    if (std::sscanf(journalStream, "%" SCNuMAX ":%" SCNuMAX "%n", &device, &inode, &consumed) != 2) return false;
    if (journalStream[consumed] != '\0') return false;
    struct stat status {};
    if (fstat(fd, &status) != 0) return false;
    return static_cast<std::uintmax_t>(status.st_dev) == device && static_cast<std::uintmax_t>(status.st_ino) == inode;
}

bool JournalLogSink::sendToJournal(platform::LogLevel level, std::string_view subsystem, std::string_view category,
                                   std::string_view message) const
{
    std::vector<std::string> assignments;
    for (const auto& field : journalFields(level, subsystem, category, message)) {
        assignments.push_back(field.name + "=" + field.value);
    }
    std::vector<iovec> parts;
    parts.reserve(assignments.size());
    for (auto& assignment : assignments) parts.push_back(iovec{assignment.data(), assignment.size()});
    return sd_journal_sendv(parts.data(), static_cast<int>(parts.size())) >= 0;
}

void JournalLogSink::writeToStream(std::string_view line) const
{
    // One write per line, so lines from several writers do not interleave.
    const char* data = line.data();
    std::size_t left = line.size();
    while (left > 0) {
        const ssize_t written = ::write(streamFd_, data, left);
        if (written < 0) {
            if (errno == EINTR) continue;
            return;  // nowhere left to report it
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
}

}  // namespace quorvel::linux_backend
