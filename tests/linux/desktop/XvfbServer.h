#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include <glib.h>

namespace quorvel::testing {

// A private Xvfb server for one test suite, stopped with its owner.
class XvfbServer {
public:
    // Nothing when Xvfb is not installed or does not come up.
    static std::unique_ptr<XvfbServer> start();
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    // ":N"
    const std::string& displayName() const { return displayName_; }

private:
    XvfbServer(pid_t pid, std::string displayName) : pid_(pid), displayName_(std::move(displayName)) {}
    pid_t pid_;
    std::string displayName_;
};

// Runs `context` until `done` holds or `limit` passes (for events from other
// processes); true when `done` held.
bool iterateUntil(GMainContext* context, const std::function<bool()>& done,
                  std::chrono::milliseconds limit = std::chrono::seconds(5));

}  // namespace quorvel::testing
