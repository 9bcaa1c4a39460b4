#pragma once

#include <glib.h>

#include <functional>

namespace quorvel::testing {

// Iterates the default main context until `done` holds, or until a generous watchdog
// expires (a hang fails the test instead of blocking the run). Returns `done()`.
inline bool iterateUntil(const std::function<bool()>& done, guint watchdogMilliseconds = 20000)
{
    bool expired = false;
    GSource* watchdog = g_timeout_source_new(watchdogMilliseconds);
    g_source_set_callback(
        watchdog,
        [](gpointer flag) {
            *static_cast<bool*>(flag) = true;
            return G_SOURCE_REMOVE;
        },
        &expired, nullptr);
    g_source_attach(watchdog, nullptr);
    while (!done() && !expired) g_main_context_iteration(nullptr, TRUE);
    g_source_destroy(watchdog);
    g_source_unref(watchdog);
    return done();
}

// Runs whatever is ready now, without waiting.
inline void iterateReady()
{
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
}

}  // namespace quorvel::testing
