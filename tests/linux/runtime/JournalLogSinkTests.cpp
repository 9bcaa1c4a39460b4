#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <set>
#include <string>

#include "platform/Log.h"
#include "platform/linux/runtime/JournalLogSink.h"
#include "platform/linux/runtime/RandomUuidSource.h"

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

TEST(RandomUuidSource, MakesDistinctVersionFourUuids)
{
    RandomUuidSource source;
    std::set<std::string> seen;
    for (int i = 0; i < 100; ++i) {
        const platform::Uuid uuid = source.make();
        EXPECT_TRUE(uuid.bytes[6] >> 4 == 4 && (uuid.bytes[8] & 0xC0) == 0x80) << uuid.toString();  // RFC 4122 version 4
        seen.insert(uuid.toString());
    }
    EXPECT_EQ(seen.size(), 100u);
}

}  // namespace
}  // namespace quorvel::linux_backend
