#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "helper/actions/ApplicationSwitching.h"
#include "helper/monitor/AppContactRouting.h"
#include "helper/runner/HelperRunner.h"
#include "tests/fakes/FakeActionServices.h"
#include "tests/fakes/FakeClockAndLog.h"
#include "tests/fakes/FakeMainQueue.h"
#include "tests/fakes/FakeMultitouchFramework.h"
#include "tests/fakes/FakeSystemEvents.h"
#include "tests/fakes/QueueWallClock.h"
#include "tests/fakes/SequentialUuidSource.h"

namespace quorvel::testing {

// A temporary XDG_CONFIG_HOME, so that the support directory is <root>/Quorvel.
class TemporaryConfigHome {
public:
    TemporaryConfigHome()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "quorvel-runner-XXXXXX").string();
        root_ = ::mkdtemp(pattern.data());
        ::setenv("XDG_CONFIG_HOME", root_.c_str(), 1);
    }
    ~TemporaryConfigHome()
    {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }
    const std::filesystem::path& root() const { return root_; }
    std::filesystem::path supportDirectory() const { return root_ / "Quorvel"; }

    void write(const std::string& name, const std::string& content) const
    {
        std::filesystem::create_directories(supportDirectory());
        std::ofstream(supportDirectory() / name, std::ios::binary | std::ios::trunc) << content;
    }
    void remove(const std::string& name) const { std::filesystem::remove(supportDirectory() / name); }

private:
    std::filesystem::path root_;
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
