#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/Log.h"

namespace quorvel::linux_backend {

// One field of a journal entry, e.g. {"PRIORITY", "6"}.
struct JournalField {
    std::string name;
    std::string value;
    friend bool operator==(const JournalField&, const JournalField&) = default;
};

// The agent's log: structured entries in the systemd journal when the service manager
// connected our stderr to it, readable lines on a stream otherwise. Blank messages are
// dropped.
class JournalLogSink final : public platform::LogSink {
public:
    enum class Destination { journal, stream };

    // Chooses the journal when $JOURNAL_STREAM names this process's stderr, else stderr.
    JournalLogSink();
    // An explicit destination; `streamFd` (not owned) also takes the lines the journal rejects.
    JournalLogSink(Destination destination, int streamFd);

    void write(platform::LogLevel level, std::string_view subsystem, std::string_view category,
               std::string_view format, std::string_view message) override;

    Destination destination() const { return destination_; }

    // The fields of one journal entry.
    static std::vector<JournalField> journalFields(platform::LogLevel level, std::string_view subsystem,
                                                   std::string_view category, std::string_view message);
    // "<level> [<category>] <message>\n".
    static std::string streamLine(platform::LogLevel level, std::string_view category, std::string_view message);
    // True when `journalStream` ("device:inode", as systemd sets $JOURNAL_STREAM) names the file
    // open on `fd`.
    static bool isJournalStream(int fd, const char* journalStream);

private:
    bool sendToJournal(platform::LogLevel level, std::string_view subsystem, std::string_view category,
                       std::string_view message) const;
    void writeToStream(std::string_view line) const;

    Destination destination_;
    int streamFd_;
};

}  // namespace quorvel::linux_backend
