#include <gtest/gtest.h>
#include <glib.h>

#include <set>

#include "platform/linux/runtime/RandomUuidSource.h"
#include "platform/linux/runtime/SystemWallClock.h"

namespace quorvel::linux_backend {
namespace {

TEST(RandomUuidSource, MakesDistinctVersionFourUuids)
{
    RandomUuidSource source;
    std::set<std::string> seen;
    for (int i = 0; i < 100; ++i) {
        const platform::Uuid uuid = source.make();
        EXPECT_EQ(uuid.bytes[6] >> 4, 4);            // version 4
        EXPECT_EQ(uuid.bytes[8] & 0xC0, 0x80);       // RFC 4122 variant
        seen.insert(uuid.toString());
    }
    EXPECT_EQ(seen.size(), 100u);
}

TEST(SystemWallClock, ReadsCalendarTimeInSeconds)
{
    SystemWallClock clock;
    const double before = static_cast<double>(g_get_real_time()) / 1e6;
    const double now = clock.now();
    const double after = static_cast<double>(g_get_real_time()) / 1e6;
    EXPECT_GE(now, before);
    EXPECT_LE(now, after);
}

}  // namespace
}  // namespace quorvel::linux_backend
