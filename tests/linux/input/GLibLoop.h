#pragma once

#include <glib.h>

#include <functional>

namespace quorvel::testing {

// Runs the default GLib main context until `done` holds or `timeoutSeconds` have passed;
// for waiting on other processes (a child's exit, a bus reply), never on our own timing.
inline bool iterateMainContextUntil(const std::function<bool()>& done, unsigned timeoutSeconds = 20)
{
    bool timedOut = false;
    const guint timeout = g_timeout_add_seconds(
        timeoutSeconds,
        [](gpointer flag) -> gboolean {
            *static_cast<bool*>(flag) = true;
            return G_SOURCE_REMOVE;
        },
        &timedOut);
    while (!done() && !timedOut) g_main_context_iteration(nullptr, TRUE);
    if (!timedOut) g_source_remove(timeout);
    return done();
}

}  // namespace quorvel::testing
