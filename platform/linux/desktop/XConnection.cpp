#include "platform/linux/desktop/XConnection.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

namespace quorvel::linux_backend {

namespace {

// Windows of other clients can vanish between two requests about them (BadWindow);
// such a window simply has no properties and takes no data, so protocol errors are
// not fatal to the agent. Xlib keeps one handler per process.
int ignoreProtocolErrors(Display*, XErrorEvent*)
{
    return 0;
}

}  // namespace

std::unique_ptr<XConnection> XConnection::open(const std::string& displayName)
{
    XSetErrorHandler(&ignoreProtocolErrors);
    Display* display = XOpenDisplay(displayName.empty() ? nullptr : displayName.c_str());
    if (display == nullptr) {
        return nullptr;
    }
    return std::unique_ptr<XConnection>(new XConnection(display));
}

XConnection::~XConnection()
{
    XCloseDisplay(display_);
}

std::optional<std::string> XConnection::atomName(Atom atom) const
{
    if (atom == None) {
        return std::nullopt;
    }
    char* name = XGetAtomName(display_, atom);
    if (name == nullptr) {
        return std::nullopt;
    }
    std::string result(name);
    XFree(name);
    return result;
}

std::vector<unsigned long> XConnection::longProperty(Window window, Atom property, Atom type) const
{
    Atom actualType = None;
    int actualFormat = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    std::vector<unsigned long> values;
    if (XGetWindowProperty(display_, window, property, 0, 1 << 16, False, type, &actualType, &actualFormat, &count,
                           &remaining, &data) == Success &&
        data != nullptr && actualType == type && actualFormat == 32) {
        // Xlib hands 32-bit properties back as longs.
        const auto* longs = reinterpret_cast<const unsigned long*>(data);
        values.assign(longs, longs + count);
    }
    if (data != nullptr) {
        XFree(data);
    }
    return values;
}

std::optional<std::string> XConnection::textProperty(Window window, Atom property) const
{
    Atom actualType = None;
    int actualFormat = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    std::optional<std::string> text;
    if (XGetWindowProperty(display_, window, property, 0, 1 << 16, False, AnyPropertyType, &actualType, &actualFormat,
                           &count, &remaining, &data) == Success &&
        data != nullptr && actualFormat == 8 && (actualType == atom("UTF8_STRING") || actualType == XA_STRING)) {
        text = std::string(reinterpret_cast<const char*>(data), count);
    }
    if (data != nullptr) {
        XFree(data);
    }
    return text;
}

struct XEventWatch::Source {
    GSource base;
    GPollFD poll;
    XEventWatch* owner;
};

XEventWatch::XEventWatch(Display* display, GMainContext* context, std::function<void(XEvent&)> handler)
    : display_(display), handler_(std::move(handler))
{
    // GLib keeps a pointer to the table; it is never changed after initialisation.
    static GSourceFuncs functions = {&XEventWatch::prepare, &XEventWatch::check, &XEventWatch::dispatch,
                                     nullptr, nullptr, nullptr};
    source_ = g_source_new(&functions, sizeof(Source));
    auto* source = reinterpret_cast<Source*>(source_);
    source->owner = this;
    source->poll.fd = ConnectionNumber(display);
    source->poll.events = G_IO_IN | G_IO_HUP | G_IO_ERR;
    source->poll.revents = 0;
    g_source_add_poll(source_, &source->poll);
    g_source_attach(source_, context);
}

XEventWatch::~XEventWatch()
{
    g_source_destroy(source_);
    g_source_unref(source_);
}

void XEventWatch::dispatchPending()
{
    while (XPending(display_) > 0) {
        XEvent event;
        XNextEvent(display_, &event);
        handler_(event);
    }
}

gboolean XEventWatch::prepare(GSource* source, gint* timeout)
{
    *timeout = -1;
    XFlush(reinterpret_cast<Source*>(source)->owner->display_);
    return XEventsQueued(reinterpret_cast<Source*>(source)->owner->display_, QueuedAlready) > 0;
}

gboolean XEventWatch::check(GSource* source)
{
    auto* self = reinterpret_cast<Source*>(source);
    return (self->poll.revents & G_IO_IN) != 0 || XEventsQueued(self->owner->display_, QueuedAlready) > 0;
}

gboolean XEventWatch::dispatch(GSource* source, GSourceFunc, gpointer)
{
    reinterpret_cast<Source*>(source)->owner->dispatchPending();
    return G_SOURCE_CONTINUE;
}

}  // namespace quorvel::linux_backend

