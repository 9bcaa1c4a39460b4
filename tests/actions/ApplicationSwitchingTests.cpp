#include "tests/actions/ActionTestSupport.h"

namespace quorvel::testing {
namespace {

using History = std::vector<std::string>;

class SwitchAppsTest : public ActionTest {
protected:
    void SetUp() override
    {
        ActionTest::SetUp();
        fakes.workspace.ownIdentifier = "org.quorvel.helper";
        for (const char* id : {"A", "B", "X", "C"}) fakes.workspace.applications[id] = std::string("/apps/") + id;
    }
    void activate(std::initializer_list<const char*> ids)
    {
        for (const char* id : ids) fakes.workspace.notifyActivationOf(id);
        fakes.mainQueue.drain();
    }
    void setFront(std::optional<std::string> id) { fakes.workspace.front = platform::RunningApplication{std::move(id)}; }
    static History history() { return ActionDispatcher::activationHistory(); }
};

TEST_F(SwitchAppsTest, HistoryKeepsTheSixNewestWithoutDuplicates)
{
    ActionDispatcher::startTrackingApplications(services);
    activate({"A", "B", "C", "D", "E", "F", "G"});
    EXPECT_EQ(history(), (History{"G", "F", "E", "D", "C", "B"}));
    activate({"G", "D"});
    EXPECT_EQ(history(), (History{"D", "G", "F", "E", "C", "B"}));
}

TEST_F(SwitchAppsTest, TrackingIsSeededOnceAndRecordsAfterEachCallback)
{
    setFront("A");
    ActionDispatcher::startTrackingApplications(services);
    setFront("B");
    ActionDispatcher::startTrackingApplications(services);
    EXPECT_EQ(fakes.workspace.activationObservers.size(), 1u);

    fakes.workspace.notifyActivationOf("X");
    fakes.workspace.notifyActivationOf("C");
    EXPECT_EQ(history(), History{"A"});  // not yet: a separate main-thread task
    fakes.mainQueue.drain();
    EXPECT_EQ(history(), (History{"C", "X", "A"}));
}

TEST_F(SwitchAppsTest, TheAgentAndUnidentifiedApplicationsAreNeverRecorded)
{
    setFront("org.quorvel.helper");
    ActionDispatcher::startTrackingApplications(services);
    fakes.workspace.notifyActivationOf("org.quorvel.helper");
    fakes.workspace.notifyActivation(platform::RunningApplication{std::nullopt});
    fakes.workspace.notifyActivation(std::nullopt);
    fakes.mainQueue.drain();
    EXPECT_TRUE(history().empty());
}

TEST_F(SwitchAppsTest, RepeatedSwitchesToggleBetweenTwoApplications)
{
    ActionDispatcher::startTrackingApplications(services);
    activate({"X", "A", "B"});
    setFront("B");
    run(ActionKind::SwitchApps{});
    EXPECT_EQ(history(), (History{"A", "B", "X"}));
    setFront("A");
    run(ActionKind::SwitchApps{});
    EXPECT_EQ(history(), (History{"B", "A", "X"}));
    EXPECT_EQ(fakes.workspace.openedApplications, (std::vector<std::string>{"/apps/A", "/apps/B"}));
}

TEST_F(SwitchAppsTest, WithoutHistoryTheFirstRegularRunningApplicationIsChosen)
{
    using platform::ActivationPolicy;
    setFront("B");
    fakes.workspace.running = {{"org.quorvel.helper", ActivationPolicy::regular}, {"B", ActivationPolicy::regular},
                               {"X", ActivationPolicy::accessory},           {std::nullopt, ActivationPolicy::regular},
                               {"C", ActivationPolicy::regular},             {"A", ActivationPolicy::regular}};
    run(ActionKind::SwitchApps{});
    EXPECT_EQ(fakes.workspace.openedApplications, std::vector<std::string>{"/apps/C"});
    EXPECT_EQ(history(), (History{"C", "B"}));
}

TEST_F(SwitchAppsTest, NoResolvableCandidateDoesNothingSilently)
{
    setFront("B");
    run(ActionKind::SwitchApps{});  // nothing else runs
    ActionDispatcher::startTrackingApplications(services);
    activate({"Gone", "B"});
    run(ActionKind::SwitchApps{});  // "Gone" is no longer installed
    EXPECT_TRUE(fakes.workspace.openedApplications.empty());
    EXPECT_EQ(history(), (History{"B", "Gone"}));
    EXPECT_EQ(fakes.alertSound.beeps, 0);
}

TEST_F(ActionTest, AppSwitcherHoldsCommandThirtySecondsPerCall)
{
    run(ActionKind::ShowAppSwitcher{});
    fakes.mainQueue.advance(10);
    run(ActionKind::ShowAppSwitcher{});

    const std::vector press{key(55, true, 0x100000), key(48, true, 0x100000), key(48, false, 0x100000)};
    auto expected = press;
    expected.insert(expected.end(), press.begin(), press.end());
    EXPECT_EQ(fakes.eventTap.keyboardEvents, expected);

    fakes.mainQueue.advance(19.9);
    EXPECT_EQ(fakes.eventTap.keyboardEvents.size(), 6u);
    fakes.mainQueue.advance(0.1);  // 30 s after the first call
    expected.push_back(key(55, false, std::nullopt));
    EXPECT_EQ(fakes.eventTap.keyboardEvents, expected);
    fakes.mainQueue.advance(10);  // 30 s after the second call
    expected.push_back(key(55, false, std::nullopt));
    EXPECT_EQ(fakes.eventTap.keyboardEvents, expected);
}

TEST_F(ActionTest, AppSwitcherSkipsOnlyTheEventThatCannotBeCreated)
{
    fakes.eventTap.canCreateKeyboardEvent = [](const auto& e) { return !(e.keyCode == 48 && e.keyDown); };
    run(ActionKind::ShowAppSwitcher{});
    fakes.mainQueue.advance(30);
    EXPECT_EQ(fakes.eventTap.keyboardEvents,
              (std::vector{key(55, true, 0x100000), key(48, false, 0x100000), key(55, false, std::nullopt)}));
}

}  // namespace
}  // namespace quorvel::testing
