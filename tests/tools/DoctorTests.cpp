// The doctor's checks on injected inputs: the bridge's scan of a test tree of event nodes and
// sysfs, the verdicts on touchpads found, /dev/uinput, the lock table, the unit folders, and
// which failures fail the run.
#include <gtest/gtest.h>

#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "platform/linux/desktop/WaylandGlobals.h"
#include "tests/configuration/TestSupport.h"
#include "tests/linux/desktop/DisplayServers.h"
#include "tools/inspection/DeviceChecks.h"
#include "tools/inspection/HelperLock.h"
#include "tools/inspection/SessionChecks.h"
#include "tools/inspection/UserUnit.h"

namespace quorvel::inspection {
namespace {

namespace fs = std::filesystem;

struct Doctor : ::testing::Test {
    testing::TemporaryDirectory directory;
    const fs::path root = directory.path;
    void write(const fs::path& file, const std::string& text) { testing::writeFile(file, text + "\n"); }
    // An event node (a plain file: it opens, but is no evdev device) described only by sysfs.
    void addDevice(const std::string& node, const std::string& name, const std::string& abs)
    {
        write(root / "dev" / node, "");
        const fs::path device = root / "sys" / node / "device";
        write(device / "name", name);
        write(device / "capabilities/ev", "b");
        write(device / "capabilities/key", "20 0 0 0 0 0");  // BTN_TOOL_FINGER
        write(device / "capabilities/abs", abs);
    }
};

TEST_F(Doctor, TheBridgesScanOfATestTreeFindsTheTouchpadsAndNoneOfThemCanBeRead)
{
    addDevice("event3", "Pad B", "60800000000000");  // slots and positions: protocol B
    addDevice("event4", "Pad A", "60000000000000");  // positions without slots: protocol A
    write(root / "dev/event5", "");                  // nothing known: not a touchpad
    const auto found = findTouchpads({root / "dev", root / "sys"});
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0], (TouchpadFinding{(root / "dev/event3").string(), "Pad B", false, found[0].openError, false}));
    EXPECT_NE(found[0].openError, 0);
    EXPECT_TRUE(found[1].protocolAOnly);
    const Check check = touchpadCheck(found, {});
    EXPECT_EQ(check.verdict, Verdict::failed);
    EXPECT_NE(check.detail.find("Pad A (" + found[1].node + ") reports multitouch protocol A only"), std::string::npos);
}

TEST_F(Doctor, TouchpadVerdictsSayWhyAndHowToMendIt)
{
    const TouchpadFinding readable{"/dev/input/event5", "Pad", false, 0, false};
    auto with = [&](int error, bool grabbed) {
        return TouchpadFinding{"/dev/input/event6", "Other", false, error, grabbed};
    };
    // What the agent reads passes first: the real doctor's test shows it.
    const std::tuple<std::vector<TouchpadFinding>, Verdict, std::string> cases[] = {
        {{readable, with(EACCES, false)}, Verdict::passed, "readable: Pad (/dev/input/event5)"},
        {{}, Verdict::failed, "quorvel devices --all"},
        {{with(EACCES, false)}, Verdict::failed, "sudo usermod -aG input"},
        {{with(0, true)}, Verdict::failed, "synclient GrabEventDevice=0"},
    };
    for (const auto& [found, verdict, says] : cases) {
        const Check check = touchpadCheck(found, {});
        EXPECT_EQ(check.verdict, verdict) << says;
        EXPECT_NE((check.detail + check.fix).find(says), std::string::npos) << check.detail << check.fix;
        EXPECT_TRUE(check.neededByEveryAction);
    }
}

TEST_F(Doctor, UinputSaysWhetherTheModuleOrUdevIsMissing)
{
    const UinputLocations at{root / "uinput", root / "module", {root / "rules"}, "70-quorvel.rules", root / "group"};
    EXPECT_NE(uinputCheck(at).fix.find("sudo modprobe uinput"), std::string::npos);
    fs::create_directories(at.module);
    EXPECT_NE(uinputCheck(at).fix.find("udevadm trigger"), std::string::npos);
    write(at.node, "");
    EXPECT_EQ(uinputCheck(at).verdict, Verdict::passed);
}

// Who holds it, with the pid, the agent's end-to-end tests show.
TEST_F(Doctor, TheLockTableTellsWhoHoldsTheAgentsLockWithoutTakingIt)
{
    const fs::path lock = root / "helper.lock";
    EXPECT_EQ(lockHolder(lock).state, LockHolder::State::free);  // no agent ever ran
    write(lock, "");
    const int fd = ::open(lock.c_str(), O_RDWR);
    ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
    EXPECT_EQ(lockHolder(lock, root / "no-table").state, LockHolder::State::cannotTell);
    ::close(fd);
    EXPECT_EQ(lockHolder(lock).state, LockHolder::State::free);
}

TEST_F(Doctor, TheFirstUnitFolderHoldingTheUnitDecidesAndAnyWantsFolderEnablesIt)
{
    const fs::path user = root / "user", system = root / "system";
    const std::vector<fs::path> folders{user, system};
    using enum UnitState::Installation;
    EXPECT_EQ(unitStateFromFolders(folders, agentUnitName).installation, notInstalled);
    write(system / agentUnitName, "[Service]");
    fs::create_directories(user / "graphical-session.target.wants");
    fs::create_symlink(system / agentUnitName, user / "graphical-session.target.wants" / agentUnitName);
    EXPECT_EQ(unitStateFromFolders(folders, agentUnitName), (UnitState{installed, true, system / agentUnitName, {}}));
    fs::create_symlink("/dev/null", user / agentUnitName);
    EXPECT_EQ(unitStateFromFolders(folders, agentUnitName).installation, masked);
}

TEST_F(Doctor, TheSessionChecksTellWhatTheCompositorOffersSwitchingAndSnippets)
{
    std::string whyNot;
    const auto sway = testing::startHeadlessSway(whyNot);
    if (!sway) GTEST_SKIP() << whyNot;
    const SessionFacts wlroots{"wayland", "sway", false, linux_backend::waylandGlobals(sway->displayName)};
    const SessionFacts gnome{"wayland", "GNOME", true, std::vector<std::string>{"wl_seat", "wl_compositor"}};
    const SessionFacts x11{"x11", "", true, std::nullopt}, none{};
    const auto verdicts = [](const SessionFacts& facts) {
        std::vector<Verdict> result;
        for (const Check& check : sessionChecks(facts)) result.push_back(check.verdict);
        return result;
    };
    using enum Verdict;
    EXPECT_EQ(verdicts(wlroots), (std::vector{passed, passed, passed}));
    EXPECT_EQ(verdicts(gnome), (std::vector{passed, failed, passed}));
    EXPECT_NE(sessionChecks(gnome)[2].detail.find("through XWayland"), std::string::npos);
    EXPECT_EQ(verdicts(x11), (std::vector{passed, passed, passed}));
    EXPECT_EQ(verdicts(none), (std::vector{failed, failed, failed}));
}

TEST_F(Doctor, OnlyFailuresThatAnAssignedActionNeedsFailTheRun)
{
    const Check keys{"Virtual keyboard", Verdict::failed, "", "", false, keyActionKinds};
    const Check agent{"Agent", Verdict::failed, "", "", true, {}};
    const Check unknown{"Agent", Verdict::cannotTell, "", "", true, {}};
    const Check advice{"User unit", Verdict::failed, "", "", false, {}};
    EXPECT_EQ(doctorExitStatus({keys, unknown, advice}, {"runShortcut"}), 0);
    EXPECT_EQ(doctorExitStatus({keys}, {"runShortcut", "media"}), 1);
    EXPECT_EQ(doctorExitStatus({agent}, {}), 1);
    EXPECT_NE(doctorReport({keys}, {"openApp"}).find("none of which is assigned"), std::string::npos);
}

}  // namespace
}  // namespace quorvel::inspection
