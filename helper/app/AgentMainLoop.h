#pragma once

#include <glib.h>

#include <functional>
#include <optional>

namespace quorvel {

// The agent's event loop: a GLib main loop on the default main context that ends with
// an exit status. Signals are taken on the loop itself rather than in a signal handler:
// SIGTERM and SIGINT end it cleanly with status 0, SIGHUP calls the hang-up handler
// (the agent reloads its configuration) instead of ending the process.
class AgentMainLoop {
public:
    AgentMainLoop();
    ~AgentMainLoop();
    AgentMainLoop(const AgentMainLoop&) = delete;
    AgentMainLoop& operator=(const AgentMainLoop&) = delete;

    // Iterates the default context until `quit`; returns the status `quit` was given.
    int run();
    // Ends `run` with `exitStatus` once the current dispatch returns. The first quit wins.
    void quit(int exitStatus);

    void onHangUp(std::function<void()> handler) { hangUpHandler_ = std::move(handler); }
    // The signal that ended the loop, if one did.
    std::optional<int> stopSignal() const { return stopSignal_; }

private:
    struct SignalSource {
        AgentMainLoop* loop;
        int signal;
    };
    static gboolean onSignal(gpointer source);

    GMainLoop* loop_;
    SignalSource terminate_{this, 0};
    SignalSource interrupt_{this, 0};
    SignalSource hangUp_{this, 0};
    guint terminateSource_;
    guint interruptSource_;
    guint hangUpSource_;
    std::function<void()> hangUpHandler_;
    std::optional<int> stopSignal_;
    int exitStatus_ = 0;
    bool quitting_ = false;
};

}  // namespace quorvel
