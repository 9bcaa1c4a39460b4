#include "helper/app/AgentMainLoop.h"

#include <glib-unix.h>

#include <csignal>

namespace quorvel {

AgentMainLoop::AgentMainLoop()
    : loop_(g_main_loop_new(nullptr, FALSE)),
      terminateSource_(g_unix_signal_add(SIGTERM, quitOnSignal, this)),
      interruptSource_(g_unix_signal_add(SIGINT, quitOnSignal, this))
{
}

AgentMainLoop::~AgentMainLoop()
{
    g_source_remove(interruptSource_);
    g_source_remove(terminateSource_);
    g_main_loop_unref(loop_);
}

int AgentMainLoop::run()
{
    if (!quitting_) g_main_loop_run(loop_);
    return exitStatus_;
}

void AgentMainLoop::quit(int exitStatus)
{
    if (quitting_) return;
    quitting_ = true;
    exitStatus_ = exitStatus;
    g_main_loop_quit(loop_);
}

gboolean AgentMainLoop::quitOnSignal(gpointer loop)
{
    static_cast<AgentMainLoop*>(loop)->quit(0);
    return G_SOURCE_CONTINUE;
}

}  // namespace quorvel
