#pragma once

#include <glib.h>

#include <chrono>
#include <functional>

namespace quorvel::testing {

// Iterates `context` (the default one when null) until `done` holds or `limit` passes, so that a
// hang fails the test instead of blocking the run. Returns `done()`.
inline bool iterateUntil(GMainContext* context, const std::function<bool()>& done,
                         std::chrono::milliseconds limit = std::chrono::seconds(20))
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    // A short timer keeps a blocking iteration from outliving the deadline, and checks `done` for
    // conditions outside the context (a file another process writes).
    GSource* tick = g_timeout_source_new(10);
    g_source_set_callback(tick, [](gpointer) -> gboolean { return G_SOURCE_CONTINUE; }, nullptr, nullptr);
    g_source_attach(tick, context);
    while (!done() && std::chrono::steady_clock::now() < deadline) g_main_context_iteration(context, TRUE);
    g_source_destroy(tick);
    g_source_unref(tick);
    return done();
}

inline bool iterateUntil(const std::function<bool()>& done) { return iterateUntil(nullptr, done); }

// Runs whatever is ready now, without waiting.
inline void iterateReady()
{
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
}

}  // namespace quorvel::testing
