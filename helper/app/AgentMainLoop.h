#pragma once

#include <glib.h>

namespace quorvel {

// The agent's event loop: a GLib main loop on the default main context that ends with
// an exit status. SIGTERM and SIGINT end it cleanly with status 0, on the loop itself
// rather than in a signal handler.
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

private:
    static gboolean quitOnSignal(gpointer loop);

    GMainLoop* loop_;
    guint terminateSource_;
    guint interruptSource_;
    int exitStatus_ = 0;
    bool quitting_ = false;
};

}  // namespace quorvel
