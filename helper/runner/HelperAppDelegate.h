#pragma once

#include <functional>
#include <memory>

#include "helper/runner/HelperRunner.h"
#include "helper/runner/HelperServices.h"

namespace quorvel {

// Creates and starts the runner once the application has finished launching, and ends
// the application when the runner refuses to start: normally when another agent already
// runs (it is not needed), as a failure when the lock could not be used. Main thread only.
class HelperAppDelegate {
public:
    // `terminate` is given true for a failure.
    HelperAppDelegate(const HelperServices& services, std::function<void(bool failed)> terminate)
        : services_(services), terminate_(std::move(terminate))
    {
    }

    void applicationDidFinishLaunching()
    {
        auto runner = std::make_unique<HelperRunner>(services_);
        if (runner->start()) {
            runner_ = std::move(runner);
        } else {
            const bool failed = runner->startRefusal() != HelperRunner::StartRefusal::anotherHelperRunning;
            runner.reset();
            terminate_(failed);
        }
    }

    HelperRunner* runner() { return runner_.get(); }
    const HelperRunner* runner() const { return runner_.get(); }

private:
    HelperServices services_;
    std::function<void(bool failed)> terminate_;
    std::unique_ptr<HelperRunner> runner_;
};

}  // namespace quorvel
