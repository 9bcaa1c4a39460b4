#include "platform/linux/desktop/WaylandDisplaySource.h"

#include <poll.h>
#include <wayland-client.h>

#include <algorithm>
#include <cerrno>

namespace quorvel::linux_backend {

namespace {

using Clock = std::chrono::steady_clock;

int millisecondsUntil(Clock::time_point deadline)
{
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::clamp<long long>(left, 0, 60'000));
}

void syncDone(void* data, wl_callback*, std::uint32_t) { *static_cast<bool*>(data) = true; }
constexpr wl_callback_listener syncListener = {&syncDone};

struct CallbackDeleter {
    void operator()(wl_callback* callback) const { wl_callback_destroy(callback); }
};

}  // namespace

void WaylandDisplaySource::DisplayDeleter::operator()(wl_display* display) const { wl_display_disconnect(display); }

struct WaylandDisplaySource::Watch {
    GSource base;
    WaylandDisplaySource* owner;
    gpointer tag;
    bool readPrepared;

    static Watch* of(GSource* source) { return reinterpret_cast<Watch*>(source); }

    static gboolean prepare(GSource* source, gint* timeout)
    {
        *timeout = -1;
        WaylandDisplaySource* owner = of(source)->owner;
        if (owner == nullptr) return FALSE;
        owner->cancelPreparedRead();  // left over from an iteration that never reached its check
        if (owner->broken()) {
            if (of(source)->tag != nullptr) g_source_remove_unix_fd(source, of(source)->tag);
            of(source)->tag = nullptr;
            return FALSE;
        }
        wl_display* display = owner->display();
        if (wl_display_prepare_read(display) != 0) return TRUE;  // events wait in the queue
        of(source)->readPrepared = true;
        const bool backlog = wl_display_flush(display) < 0 && errno == EAGAIN;
        g_source_modify_unix_fd(source, of(source)->tag,
                                static_cast<GIOCondition>(G_IO_IN | G_IO_ERR | G_IO_HUP | (backlog ? G_IO_OUT : 0)));
        return FALSE;
    }
    static gboolean check(GSource* source)
    {
        Watch* self = of(source);
        if (self->owner == nullptr || !self->readPrepared) return FALSE;
        self->readPrepared = false;
        wl_display* display = self->owner->display();
        const GIOCondition ready = g_source_query_unix_fd(source, self->tag);
        if ((ready & (G_IO_IN | G_IO_ERR | G_IO_HUP)) != 0) {
            wl_display_read_events(display);
            return TRUE;
        }
        wl_display_cancel_read(display);
        return (ready & G_IO_OUT) != 0;
    }
    static gboolean dispatch(GSource* source, GSourceFunc, gpointer)
    {
        WaylandDisplaySource* owner = of(source)->owner;
        if (owner == nullptr) return G_SOURCE_CONTINUE;
        wl_display_dispatch_pending(owner->display());
        wl_display_flush(owner->display());
        return G_SOURCE_CONTINUE;
    }
};

std::unique_ptr<WaylandDisplaySource> WaylandDisplaySource::connect(const std::string& displayName)
{
    std::unique_ptr<WaylandDisplaySource> source(new WaylandDisplaySource());
    source->display_.reset(wl_display_connect(displayName.empty() ? nullptr : displayName.c_str()));
    if (!source->display_) return nullptr;
    return source;
}

WaylandDisplaySource::~WaylandDisplaySource()
{
    if (watch_) {
        cancelPreparedRead();
        Watch::of(watch_.get())->owner = nullptr;
        watch_.reset();
    }
    if (display_) wl_display_flush(display_.get());  // the owner's last requests (its destructors)
}

void WaylandDisplaySource::attach(GMainContext* context)
{
    if (watch_) return;
    static GSourceFuncs functions = {&Watch::prepare, &Watch::check, &Watch::dispatch, nullptr, nullptr, nullptr};
    watch_.reset(g_source_new(&functions, sizeof(Watch)));
    Watch* watch = Watch::of(watch_.get());
    watch->owner = this;
    watch->tag = g_source_add_unix_fd(watch_.get(), wl_display_get_fd(display_.get()),
                                      static_cast<GIOCondition>(G_IO_IN | G_IO_ERR | G_IO_HUP));
    watch->readPrepared = false;
    g_source_attach(watch_.get(), context);
}

bool WaylandDisplaySource::broken() const { return retired_ || wl_display_get_error(display_.get()) != 0; }

void WaylandDisplaySource::cancelPreparedRead()
{
    if (!watch_) return;
    Watch* watch = Watch::of(watch_.get());
    if (watch->readPrepared) {
        wl_display_cancel_read(display_.get());
        watch->readPrepared = false;
    }
}

bool WaylandDisplaySource::flushBefore(Clock::time_point deadline)
{
    wl_display* display = display_.get();
    while (wl_display_flush(display) < 0) {
        if (errno != EAGAIN) return false;
        pollfd descriptor{wl_display_get_fd(display), POLLOUT, 0};
        if (::poll(&descriptor, 1, millisecondsUntil(deadline)) <= 0) return false;
    }
    return true;
}

bool WaylandDisplaySource::roundtrip(std::chrono::milliseconds timeout)
{
    if (broken()) return false;
    cancelPreparedRead();
    wl_display* display = display_.get();
    bool done = false;
    const std::unique_ptr<wl_callback, CallbackDeleter> callback(wl_display_sync(display));
    wl_callback_add_listener(callback.get(), &syncListener, &done);
    const Clock::time_point deadline = Clock::now() + timeout;
    while (!done && !broken()) {
        if (wl_display_prepare_read(display) != 0) {
            wl_display_dispatch_pending(display);
            continue;
        }
        // A compositor that hung up fails the flush without marking the connection
        // dead; reading shows the hang-up.
        flushBefore(deadline);
        pollfd descriptor{wl_display_get_fd(display), POLLIN, 0};
        if (::poll(&descriptor, 1, millisecondsUntil(deadline)) <= 0) {
            wl_display_cancel_read(display);
            break;
        }
        if (wl_display_read_events(display) < 0) break;
        wl_display_dispatch_pending(display);
    }
    return done && !broken();
}

}  // namespace quorvel::linux_backend
