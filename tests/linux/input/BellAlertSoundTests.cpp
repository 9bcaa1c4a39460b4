#include <gtest/gtest.h>

#include "platform/linux/input/BellAlertSound.h"
#include "tests/fakes/FakeClockAndLog.h"

namespace quorvel::linux_backend {
namespace {

class CountingBell final : public Bell {
public:
    CountingBell(bool available, int& rings) : available_(available), rings_(rings) {}
    bool ring() override
    {
        ++rings_;
        return available_;
    }

private:
    bool available_;
    int& rings_;
};

TEST(BellAlertSound, RingsTheFirstAvailableBellElseWritesABelToTheLog)
{
    testing::CapturingLog log;
    int rings[2] = {0, 0};
    auto alertSound = [&](bool first, bool second) {
        std::vector<std::unique_ptr<Bell>> bells;
        bells.push_back(std::make_unique<CountingBell>(first, rings[0]));
        bells.push_back(std::make_unique<CountingBell>(second, rings[1]));
        return BellAlertSound(std::move(bells), platform::Logger(log, "Quorvel", "Helper"));
    };
    alertSound(true, true).beep();
    EXPECT_EQ(rings[1], 0);
    alertSound(false, true).beep();
    EXPECT_EQ(rings[1], 1);
    EXPECT_TRUE(log.records.empty());
    alertSound(false, false).beep();
    EXPECT_EQ(log.messages(), std::vector<std::string>{"\a"});
}

}  // namespace
}  // namespace quorvel::linux_backend
