#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "platform/linux/input/BellAlertSound.h"
#include "platform/linux/input/X11Bell.h"
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

std::unique_ptr<BellAlertSound> alertSound(bool first, bool second, int& firstRings, int& secondRings,
                                           testing::CapturingLog& log)
{
    std::vector<std::unique_ptr<Bell>> bells;
    bells.push_back(std::make_unique<CountingBell>(first, firstRings));
    bells.push_back(std::make_unique<CountingBell>(second, secondRings));
    return std::make_unique<BellAlertSound>(std::move(bells), platform::Logger(log, "Quorvel", "Helper"));
}

TEST(BellAlertSound, RingsTheFirstBellThatIsAvailable)
{
    testing::CapturingLog log;
    int soundTheme = 0;
    int x11 = 0;
    alertSound(true, true, soundTheme, x11, log)->beep();
    EXPECT_EQ(soundTheme, 1);
    EXPECT_EQ(x11, 0);

    alertSound(false, true, soundTheme, x11, log)->beep();
    EXPECT_EQ(x11, 1);
    EXPECT_TRUE(log.records.empty());
}

TEST(BellAlertSound, WithNoBellAvailableTheAlertGoesToTheLog)
{
    testing::CapturingLog log;
    int soundTheme = 0;
    int x11 = 0;
    alertSound(false, false, soundTheme, x11, log)->beep();
    EXPECT_EQ(log.messages(), std::vector<std::string>{"\a"});
}

TEST(X11Bell, IsUnavailableWithoutADisplay)
{
    std::optional<std::string> saved;
    if (const char* display = std::getenv("DISPLAY")) saved = display;
    ::unsetenv("DISPLAY");
    EXPECT_FALSE(X11Bell().ring());
    ::setenv("DISPLAY", ":9999", 1);  // no such server
    EXPECT_FALSE(X11Bell().ring());
    if (saved) {
        ::setenv("DISPLAY", saved->c_str(), 1);
    } else {
        ::unsetenv("DISPLAY");
    }
}

}  // namespace
}  // namespace quorvel::linux_backend
