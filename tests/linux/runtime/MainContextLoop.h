#pragma once

#include <glib.h>

#include <chrono>
#include <functional>

namespace quorvel::testing {

// Iterates `context` (null: the default one) until `done` holds or `limit` passes, so that a hang
// fails the test instead of blocking the run; returns `done()`. A timer wakes the context every
// `wake` to check `done` for conditions outside it (a file another process writes).
inline bool iterateUntil(GMainContext* context, const std::function<bool()>& done,
                         std::chrono::milliseconds limit = std::chrono::seconds(20),
                         std::chrono::milliseconds wake = std::chrono::milliseconds(10))
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    GSource* timer = g_timeout_source_new(static_cast<guint>(wake.count()));
    g_source_set_callback(timer, [](gpointer) -> gboolean { return G_SOURCE_CONTINUE; }, nullptr, nullptr);
    g_source_attach(timer, context);
    while (!done() && std::chrono::steady_clock::now() < deadline) g_main_context_iteration(context, TRUE);
    g_source_destroy(timer);
    g_source_unref(timer);
    return done();
}

// The default context, woken only by its own sources: a test sees whether the code under test wakes it.
inline bool iterateUntil(const std::function<bool()>& done)
{
    return iterateUntil(nullptr, done, std::chrono::seconds(20), std::chrono::seconds(20));
}

// Runs whatever is ready now, without waiting.
inline void iterateReady() { while (g_main_context_iteration(nullptr, FALSE)) {} }

}  // namespace quorvel::testing
