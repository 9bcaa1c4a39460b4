#pragma once

#include <X11/Xlib.h>
#include <glib.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quorvel::linux_backend {

// One client connection to an X server, closed with its owner.
class XConnection {
public:
    // Nothing when no X server can be reached (no DISPLAY, a pure Wayland session).
    // An empty name means the session's DISPLAY.
    static std::unique_ptr<XConnection> open(const std::string& displayName = {});
    ~XConnection();
    XConnection(const XConnection&) = delete;
    XConnection& operator=(const XConnection&) = delete;

    Display* display() const { return display_; }
    Window root() const { return DefaultRootWindow(display_); }
    Atom atom(const char* name) const { return XInternAtom(display_, name, False); }
    std::optional<std::string> atomName(Atom atom) const;

    // A property of `window` in 32-bit units (windows, atoms, cardinals).
    std::vector<unsigned long> longProperty(Window window, Atom property, Atom type) const;
    // A text property (UTF8_STRING or STRING).
    std::optional<std::string> textProperty(Window window, Atom property) const;

private:
    explicit XConnection(Display* display) : display_(display) {}
    Display* display_;
};

// Delivers the events of a connection to `handler` from a source on a GLib main
// context, including events Xlib has already read into its queue.
class XEventWatch {
public:
    XEventWatch(Display* display, GMainContext* context, std::function<void(XEvent&)> handler);
    ~XEventWatch();
    XEventWatch(const XEventWatch&) = delete;
    XEventWatch& operator=(const XEventWatch&) = delete;

    // Hands every queued event to the handler now.
    void dispatchPending();

private:
    struct Source;
    static gboolean prepare(GSource* source, gint* timeout);
    static gboolean check(GSource* source);
    static gboolean dispatch(GSource* source, GSourceFunc, gpointer);

    Display* display_;
    std::function<void(XEvent&)> handler_;
    GSource* source_ = nullptr;
};

}  // namespace quorvel::linux_backend
