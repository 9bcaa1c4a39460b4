#include "tests/actions/ActionTestSupport.h"

namespace quorvel::testing {

struct SwitchAppsTest : ActionTest {
    SwitchAppsTest()
    {
        fakes.workspace.ownIdentifier = "org.quorvel.helper";
        fakes.workspace.applications = {{"A", "/apps/A"}, {"B", "/apps/B"}, {"C", "/apps/C"}, {"X", "/apps/X"}};
    }
    void setFront(std::string id) { fakes.workspace.front = platform::RunningApplication{std::move(id)}; }
    static Strings history() { return ActionDispatcher::activationHistory(); }
};

TEST_F(SwitchAppsTest, HistoryIsSeededOnceKeepsTheSixNewestOtherApplicationsAndTogglesOnRepeatedSwitches)
{
    setFront("A");
    ActionDispatcher::startTrackingApplications(fakes.services());
    setFront("B");
    ActionDispatcher::startTrackingApplications(fakes.services());
    EXPECT_EQ(fakes.workspace.activationObservers.size(), 1u);
    fakes.workspace.notifyActivationOf("X");
    fakes.workspace.notifyActivationOf("org.quorvel.helper");
    fakes.workspace.notifyActivation(platform::RunningApplication{std::nullopt});
    fakes.workspace.notifyActivation(std::nullopt);
    EXPECT_EQ(history(), Strings{"A"});  // recorded in a later main-thread task
    fakes.mainQueue.drain();
    EXPECT_EQ(history(), (Strings{"X", "A"}));

    for (const char* id : {"A", "B", "C", "D", "E", "F", "G"}) fakes.workspace.notifyActivationOf(id);
    fakes.mainQueue.drain();
    EXPECT_EQ(history(), (Strings{"G", "F", "E", "D", "C", "B"}));
    for (const char* id : {"G", "D", "X", "A", "B"}) fakes.workspace.notifyActivationOf(id);
    fakes.mainQueue.drain();
    setFront("B");
    run(Kind::SwitchApps{});
    EXPECT_EQ(history(), (Strings{"A", "B", "X", "D", "G", "F"}));
    setFront("A");
    run(Kind::SwitchApps{});
    EXPECT_EQ(history(), (Strings{"B", "A", "X", "D", "G", "F"}));
    EXPECT_EQ(fakes.workspace.openedApplications, (Strings{"/apps/A", "/apps/B"}));
}

TEST_F(SwitchAppsTest, WithoutHistoryTheFirstRegularRunningApplicationIsChosen)
{
    setFront("org.quorvel.helper");
    run(Kind::SwitchApps{});  // nothing else runs, and the agent itself is never recorded
    setFront("B");
    fakes.workspace.running = {{"org.quorvel.helper"}, {"B"}, {"X", platform::ActivationPolicy::accessory},
                               {std::nullopt},         {"C"}, {"A"}};
    run(Kind::SwitchApps{});
    fakes.workspace.applications.erase("B");  // uninstalled: switching back does nothing
    setFront("C");
    run(Kind::SwitchApps{});
    EXPECT_EQ(fakes.workspace.openedApplications, Strings{"/apps/C"});
    EXPECT_EQ(history(), (Strings{"C", "B"}));
}

TEST_F(ActionTest, AppSwitcherHoldsCommandThirtySecondsPerCall)
{
    run(Kind::ShowAppSwitcher{});
    fakes.mainQueue.advance(10);
    run(Kind::ShowAppSwitcher{});
    fakes.mainQueue.advance(19.9);
    const auto command = key(55, true, 0x100000), tab = key(48, true, 0x100000), tabUp = key(48, false, 0x100000);
    std::vector expected{command, tab, tabUp, command, tab, tabUp};
    EXPECT_EQ(fakes.eventTap.keyboardEvents, expected);
    for (const double untilRelease : {0.1, 10.0}) {  // 30 s after each call
        fakes.mainQueue.advance(untilRelease);
        expected.push_back(key(55, false, std::nullopt));
        EXPECT_EQ(fakes.eventTap.keyboardEvents, expected);
    }
}

}  // namespace quorvel::testing
