#include <gtest/gtest.h>

#include <functional>
#include <tuple>

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
    // Whether each bell works; which bells were asked, and the log.
    const std::tuple<bool, bool, std::string, std::vector<std::string>> cases[] = {
        {true, true, "1", {}}, {false, true, "12", {}}, {false, false, "12", {"\a"}}};
    for (const auto& [firstWorks, secondWorks, expectedRings, expectedLog] : cases) {
        testing::CapturingLog log;
        std::string rang;
        std::vector<std::unique_ptr<Bell>> bells;
        bells.push_back(std::make_unique<FakeBell>([&] { rang += '1'; return firstWorks; }));
        bells.push_back(std::make_unique<FakeBell>([&] { rang += '2'; return secondWorks; }));
        BellAlertSound(std::move(bells), platform::Logger(log, "Quorvel", "Helper")).beep();
        EXPECT_EQ(rang, expectedRings);
        EXPECT_EQ(log.messages(), expectedLog);
    }
}

}  // namespace
}  // namespace quorvel::linux_backend
