#include <gtest/gtest.h>

#include <functional>

#include "platform/linux/input/BellAlertSound.h"
#include "tests/fakes/FakeClockAndLog.h"

namespace quorvel::linux_backend {
namespace {

struct FakeBell final : Bell {
    explicit FakeBell(std::function<bool()> onRing) : ringing(std::move(onRing)) {}
    bool ring() override { return ringing(); }
    std::function<bool()> ringing;
};

TEST(BellAlertSound, RingsTheFirstAvailableBellElseWritesABelToTheLog)
{
    const struct {
        bool firstWorks, secondWorks;
        std::string rang;
        std::vector<std::string> log;
    } cases[] = {{true, true, "1", {}}, {false, true, "12", {}}, {false, false, "12", {"\a"}}};
    for (const auto& c : cases) {
        testing::CapturingLog log;
        std::string rang;
        std::vector<std::unique_ptr<Bell>> bells;
        bells.push_back(std::make_unique<FakeBell>([&] { return rang += '1', c.firstWorks; }));
        bells.push_back(std::make_unique<FakeBell>([&] { return rang += '2', c.secondWorks; }));
        BellAlertSound(std::move(bells), platform::Logger(log, "Quorvel", "Helper")).beep();
        EXPECT_EQ(rang, c.rang);
        EXPECT_EQ(log.messages(), c.log);
    }
}

}  // namespace
}  // namespace quorvel::linux_backend
