#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "helper/actions/ApplicationSwitching.h"
#include "helper/monitor/AppContactRouting.h"
#include "helper/runner/HelperRunner.h"
#include "tests/configuration/TestSupport.h"
#include "tests/fakes/FakeActionServices.h"
#include "tests/fakes/FakeClockAndLog.h"
#include "tests/fakes/FakeMultitouchFramework.h"
#include "tests/fakes/FakeSystemEvents.h"
#include "tests/fakes/QueueWallClock.h"
#include "tests/fakes/SequentialUuidSource.h"

namespace quorvel::testing {

// A temporary XDG_CONFIG_HOME, so that the support directory is <path>/Quorvel.
struct TemporaryConfigHome : TemporaryDirectory {
    TemporaryConfigHome() { ::setenv("XDG_CONFIG_HOME", path.c_str(), 1); }
    std::filesystem::path supportDirectory() const { return path / "Quorvel"; }
    void write(const std::string& name, const std::string& text) const { writeFile(supportDirectory() / name, text); }
    void remove(const std::string& name) const { std::filesystem::remove(supportDirectory() / name); }
};

// Every fake service of the agent on one virtual-time main queue.
struct FakeHelperServices {
    explicit FakeHelperServices(const std::string& frameworkPath) : multitouch(frameworkPath) {}

    FakeMainQueue mainQueue;
    QueueWallClock wallClock{mainQueue};
    CapturingLog log;
    SequentialUuidSource uuids;
    FakeSystemEvents systemEvents;
    FakeMultitouchFramework multitouch;
    FakeActionServices actions;

    HelperServices services()
    {
        auto a = actions.services();
        return HelperServices{
            MonitorServices{mainQueue, wallClock, log, uuids, systemEvents, multitouch},
            ActionServices{a.workspace, a.eventTap, a.accessibility, a.pasteboard, a.inputSources, a.preferences,
                           a.processLauncher, a.alertSound, a.applicationBundles, mainQueue},
            mainQueue, log};
    }
};

// Process-wide state starts clean for every test.
inline void resetProcessState()
{
    resetAppContactRouting();
    ActionDispatcher::resetApplicationTrackingForTesting();
}

// One frame of the single test device, delivered through the process's frame sink as
// the framework's frames are.
inline void deliverFrame(double timestamp, std::vector<TrackpadContact> contacts)
{
    static std::int32_t frameNumber = 0;
    auto& sink = appContactSink();
    ASSERT_TRUE(sink.has_value()) << "the monitor is not bound";
    (*sink)(ContactFrame{1, ++frameNumber, timestamp, std::move(contacts)});
}

}  // namespace quorvel::testing
