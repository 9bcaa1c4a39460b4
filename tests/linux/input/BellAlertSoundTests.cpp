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

TEST(BellAlertSound, RingsTheFirstAvailableBellElseSaysOnceInWordsThatNoneCan)
{
    const std::string silent =
        "No alert sound can be played (neither the sound theme nor the X bell); failed actions are only logged";
    // Whether each bell works; which bells were asked in two beeps, and the log.
    const std::tuple<bool, bool, std::string, std::vector<std::string>> cases[] = {
        {true, true, "11", {}}, {false, true, "1212", {}}, {false, false, "1212", {silent}}};
    for (const auto& [firstWorks, secondWorks, expectedRings, expectedLog] : cases) {
        testing::CapturingLog log;
        std::string rang;
        std::vector<std::unique_ptr<Bell>> bells;
        bells.push_back(std::make_unique<FakeBell>([&] { rang += '1'; return firstWorks; }));
        bells.push_back(std::make_unique<FakeBell>([&] { rang += '2'; return secondWorks; }));
        BellAlertSound sound(std::move(bells), platform::Logger(log, "Quorvel", "Helper"));
        sound.beep();
        sound.beep();
        EXPECT_EQ(rang, expectedRings);
        EXPECT_EQ(log.messages(), expectedLog);
    }
}

}  // namespace
}  // namespace quorvel::linux_backend
