#pragma once

#include <glib.h>

#include <functional>

namespace quorvel::testing {

// Iterates the default main context until `done` holds, or until a generous watchdog expires (a hang
// fails the test instead of blocking the run). Returns `done()`.
inline bool iterateUntil(const std::function<bool()>& done, guint watchdogMilliseconds = 20000)
{
    bool expired = false;
    auto expire = [](gpointer flag) { return *static_cast<bool*>(flag) = true, G_SOURCE_REMOVE; };
    const guint watchdog = g_timeout_add(watchdogMilliseconds, expire, &expired);
    while (!done() && !expired) g_main_context_iteration(nullptr, TRUE);
    if (!expired) g_source_remove(watchdog);
    return done();
}

// Runs whatever is ready now, without waiting.
inline void iterateReady()
{
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
}

}  // namespace quorvel::testing
