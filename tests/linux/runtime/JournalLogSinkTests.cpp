#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <string>

#include "platform/Log.h"
#include "platform/linux/runtime/JournalLogSink.h"

namespace quorvel::linux_backend {
namespace {

using platform::LogLevel;

// A pipe whose write end stands in for stderr.
struct Pipe {
    Pipe() { EXPECT_EQ(pipe(fds.data()), 0); }
    ~Pipe()
    {
        for (int fd : fds) if (fd >= 0) close(fd);
    }
    std::string drain()
    {
        close(fds[1]);
        fds[1] = -1;
        std::string text;
        char buffer[256];
        for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) > 0;) text.append(buffer, static_cast<std::size_t>(n));
        return text;
    }
    std::array<int, 2> fds{-1, -1};
};

TEST(JournalLogSinkStream, LoggerLinesCarryLevelCategoryAndTheFormattedMessage)
{
    Pipe pipe;
    JournalLogSink sink(JournalLogSink::Destination::stream, pipe.fds[1]);
    platform::Logger monitor(sink, "Quorvel", "TrackpadMonitor");
    platform::Logger helper(sink, "Quorvel", "Helper");
    monitor.info("Scheduling monitor refresh for %s", "system wake");
    helper.error("Another Quorvel helper is already running");
    EXPECT_EQ(pipe.drain(),
              "info [TrackpadMonitor] Scheduling monitor refresh for system wake\n"
              "error [Helper] Another Quorvel helper is already running\n");
}

TEST(JournalLogSinkJournal, EntryFieldsNameSubsystemCategoryPriorityAndIdentifier)
{
    EXPECT_EQ(JournalLogSink::journalFields(LogLevel::info, "Quorvel", "TrackpadMonitor", "Monitor refreshed after screen unlock"),
              (std::vector<JournalField>{{"MESSAGE", "Monitor refreshed after screen unlock"},
                                         {"PRIORITY", "6"},
                                         {"SYSLOG_IDENTIFIER", "quorvel-helper"},
                                         {"QUORVEL_SUBSYSTEM", "Quorvel"},
                                         {"QUORVEL_CATEGORY", "TrackpadMonitor"}}));
    EXPECT_EQ(JournalLogSink::journalFields(LogLevel::error, "Quorvel", "Helper", "m")[1], (JournalField{"PRIORITY", "3"}));
}

TEST(JournalLogSinkDetection, JournalStreamMustNameTheDeviceAndInodeOfTheDescriptor)
{
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    const int fd = fileno(file);
    struct stat status {};
    ASSERT_EQ(fstat(fd, &status), 0);
    const std::string dev = std::to_string(status.st_dev);
    const std::string ino = std::to_string(status.st_ino);

    EXPECT_TRUE(JournalLogSink::isJournalStream(fd, (dev + ":" + ino).c_str()));
    EXPECT_FALSE(JournalLogSink::isJournalStream(fd, (dev + ":" + std::to_string(status.st_ino + 1)).c_str()));
    EXPECT_FALSE(JournalLogSink::isJournalStream(fd, (std::to_string(status.st_dev + 1) + ":" + ino).c_str()));
    EXPECT_FALSE(JournalLogSink::isJournalStream(fd, (dev + ":" + ino + "x").c_str()));
    EXPECT_FALSE(JournalLogSink::isJournalStream(fd, ""));
    EXPECT_FALSE(JournalLogSink::isJournalStream(fd, nullptr));
    std::fclose(file);
    EXPECT_FALSE(JournalLogSink::isJournalStream(fd, (dev + ":" + ino).c_str()));  // closed descriptor
}

TEST(JournalLogSinkDetection, DefaultSinkWritesToStderrWhenNotStartedByTheServiceManager)
{
    unsetenv("JOURNAL_STREAM");
    EXPECT_EQ(JournalLogSink().destination(), JournalLogSink::Destination::stream);
}

}  // namespace
}  // namespace quorvel::linux_backend
