#include <gtest/gtest.h>

#include <set>

#include "platform/linux/runtime/RandomUuidSource.h"

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

}  // namespace
}  // namespace quorvel::linux_backend
