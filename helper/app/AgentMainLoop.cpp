#include "helper/app/AgentMainLoop.h"

#include <glib-unix.h>

#include <csignal>

namespace quorvel {

AgentMainLoop::AgentMainLoop()
    : loop_(g_main_loop_new(nullptr, FALSE)),
      terminate_{this, SIGTERM},
      interrupt_{this, SIGINT},
      hangUp_{this, SIGHUP},
      terminateSource_(g_unix_signal_add(SIGTERM, onSignal, &terminate_)),
      interruptSource_(g_unix_signal_add(SIGINT, onSignal, &interrupt_)),
      hangUpSource_(g_unix_signal_add(SIGHUP, onSignal, &hangUp_))
{
}

AgentMainLoop::~AgentMainLoop()
{
    g_source_remove(hangUpSource_);
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

gboolean AgentMainLoop::onSignal(gpointer source)
{
    const auto& [loop, signal] = *static_cast<SignalSource*>(source);
    if (signal == SIGHUP) {
        if (loop->hangUpHandler_) loop->hangUpHandler_();
    } else if (!loop->quitting_) {
        loop->stopSignal_ = signal;
        loop->quit(0);
    }
    return G_SOURCE_CONTINUE;
}

}  // namespace quorvel
