#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "platform/Log.h"
#include "platform/linux/runtime/JournalLogSink.h"

namespace quorvel::linux_backend {
namespace {

// The lines written to a stream are the agent's end-to-end tests' to show.
TEST(JournalLogSink, JournalEntriesNameSubsystemCategoryPriorityAndIdentifier)
{
    using platform::LogLevel;
    EXPECT_EQ(JournalLogSink::journalFields(LogLevel::info, "Quorvel", "TrackpadMonitor", "Monitor refreshed"),
              (std::vector<JournalField>{{"MESSAGE", "Monitor refreshed"},
                                         {"PRIORITY", "6"},
                                         {"SYSLOG_IDENTIFIER", "quorvel-helper"},
                                         {"QUORVEL_SUBSYSTEM", "Quorvel"},
                                         {"QUORVEL_CATEGORY", "TrackpadMonitor"}}));
    EXPECT_EQ(JournalLogSink::journalFields(LogLevel::error, "Quorvel", "Helper", "m")[1], (JournalField{"PRIORITY", "3"}));
}

TEST(JournalLogSink, JournalStreamMustNameTheDeviceAndInodeOfTheDescriptor)
{
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    const int fd = fileno(file);
    struct stat status {};
    ASSERT_EQ(fstat(fd, &status), 0);
    const std::string dev = std::to_string(status.st_dev), ino = std::to_string(status.st_ino);
    EXPECT_TRUE(JournalLogSink::isJournalStream(fd, (dev + ":" + ino).c_str()));
    for (const std::string& other : {dev + ":" + std::to_string(status.st_ino + 1), std::to_string(status.st_dev + 1) + ":" + ino,
                                     dev + ":" + ino + "x", std::string()}) {
        EXPECT_FALSE(JournalLogSink::isJournalStream(fd, other.c_str())) << other;
    }
    EXPECT_FALSE(JournalLogSink::isJournalStream(fd, nullptr));
    std::fclose(file);
    EXPECT_FALSE(JournalLogSink::isJournalStream(fd, (dev + ":" + ino).c_str()));  // closed descriptor
    unsetenv("JOURNAL_STREAM");
    EXPECT_EQ(JournalLogSink().destination(), JournalLogSink::Destination::stream);  // not started by the service manager
}

}  // namespace
}  // namespace quorvel::linux_backend
