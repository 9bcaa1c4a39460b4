#include "platform/linux/input/X11Bell.h"

#include <X11/Xlib.h>

#include <cstdlib>
#include <memory>

namespace quorvel::linux_backend {
namespace {

struct DisplayClose {
    void operator()(Display* display) const { XCloseDisplay(display); }
};

}  // namespace

bool X11Bell::ring()
{
    const char* name = std::getenv("DISPLAY");
    if (!name || !*name) return false;
    const std::unique_ptr<Display, DisplayClose> display(XOpenDisplay(name));
    if (!display) return false;
    XBell(display.get(), 0);
    XFlush(display.get());
    return true;
}

}  // namespace quorvel::linux_backend
