#pragma once

#include <functional>
#include <memory>

#include "helper/runner/HelperRunner.h"
#include "helper/runner/HelperServices.h"

namespace quorvel {

// Creates and starts the runner once the application has finished launching, and ends
// the application when the runner refuses to start. Main thread only.
class HelperAppDelegate {
public:
    HelperAppDelegate(const HelperServices& services, std::function<void()> terminate)
        : services_(services), terminate_(std::move(terminate))
    {
    }

    void applicationDidFinishLaunching()
    {
        auto runner = std::make_unique<HelperRunner>(services_);
        if (runner->start()) {
            runner_ = std::move(runner);
        } else {
            runner.reset();
            terminate_();
        }
    }

    const HelperRunner* runner() const { return runner_.get(); }

private:
    HelperServices services_;
    std::function<void()> terminate_;
    std::unique_ptr<HelperRunner> runner_;
};

}  // namespace quorvel
