#include "platform/linux/desktop/EwmhApplications.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <algorithm>

namespace quorvel::linux_backend {
std::unique_ptr<EwmhApplications> EwmhApplications::connect(GMainContext* context, const std::string& displayName)
{
    std::unique_ptr<XConnection> connection = XConnection::open(displayName);
    if (!connection) {
        return nullptr;
    }
    return std::unique_ptr<EwmhApplications>(new EwmhApplications(std::move(connection), context));
}

EwmhApplications::EwmhApplications(std::unique_ptr<XConnection> connection, GMainContext* context)
    : connection_(std::move(connection))
{
    XSelectInput(connection_->display(), connection_->root(), PropertyChangeMask);
    lastActiveWindow_ = activeWindow();
    if (lastActiveWindow_ != None) {
        lastActivated_ = applicationOf(lastActiveWindow_);
    }
    watch_ = std::make_unique<XEventWatch>(connection_->display(), context, [this](XEvent& event) { handle(event); });
}

Window EwmhApplications::activeWindow() const
{
    const auto values =
        connection_->longProperty(connection_->root(), connection_->atom("_NET_ACTIVE_WINDOW"), XA_WINDOW);
    return values.empty() ? None : values.front();
}

platform::RunningApplication EwmhApplications::applicationOf(Window window)
{
    std::optional<std::string> instance;
    std::optional<std::string> className;
    XClassHint hint{};
    if (XGetClassHint(connection_->display(), window, &hint) != 0) {
        if (hint.res_name != nullptr) {
            instance = hint.res_name;
            XFree(hint.res_name);
        }
        if (hint.res_class != nullptr) {
            className = hint.res_class;
            XFree(hint.res_class);
        }
    }
    const auto applicationId = connection_->textProperty(window, connection_->atom("_GTK_APPLICATION_ID"));

    platform::RunningApplication application;
    application.bundleIdentifier = resolver_.resolve(applicationId, instance, className);

    // Panels, desktops and windows kept off the task bar are not ordinary applications.
    const auto types =
        connection_->longProperty(window, connection_->atom("_NET_WM_WINDOW_TYPE"), XA_ATOM);
    const auto states = connection_->longProperty(window, connection_->atom("_NET_WM_STATE"), XA_ATOM);
    const auto has = [](const std::vector<unsigned long>& list, Atom atom) {
        return std::find(list.begin(), list.end(), atom) != list.end();
    };
    if (has(types, connection_->atom("_NET_WM_WINDOW_TYPE_DOCK")) ||
        has(types, connection_->atom("_NET_WM_WINDOW_TYPE_DESKTOP")) ||
        has(states, connection_->atom("_NET_WM_STATE_SKIP_TASKBAR"))) {
        application.activationPolicy = platform::ActivationPolicy::accessory;
    }
    return application;
}

std::optional<platform::RunningApplication> EwmhApplications::frontmostApplication()
{
    const Window window = activeWindow();
    if (window == None) {
        return std::nullopt;
    }
    return applicationOf(window);
}

std::vector<platform::RunningApplication> EwmhApplications::runningApplications()
{
    std::vector<platform::RunningApplication> applications;
    const auto windows =
        connection_->longProperty(connection_->root(), connection_->atom("_NET_CLIENT_LIST"), XA_WINDOW);
    for (const unsigned long window : windows) {
        platform::RunningApplication application = applicationOf(window);
        const bool listed =
            application.bundleIdentifier &&
            std::any_of(applications.begin(), applications.end(), [&](const platform::RunningApplication& other) {
                return other.bundleIdentifier == application.bundleIdentifier;
            });
        if (!listed) {
            applications.push_back(std::move(application));
        }
    }
    return applications;
}

bool EwmhApplications::activate(const std::string& bundleIdentifier)
{
    // The stacking order lists the topmost window last; that one comes forward.
    auto windows =
        connection_->longProperty(connection_->root(), connection_->atom("_NET_CLIENT_LIST_STACKING"), XA_WINDOW);
    if (windows.empty()) {
        windows = connection_->longProperty(connection_->root(), connection_->atom("_NET_CLIENT_LIST"), XA_WINDOW);
    }
    for (auto window = windows.rbegin(); window != windows.rend(); ++window) {
        if (applicationOf(*window).bundleIdentifier != bundleIdentifier) {
            continue;
        }
        XEvent message{};
        message.xclient.type = ClientMessage;
        message.xclient.window = *window;
        message.xclient.message_type = connection_->atom("_NET_ACTIVE_WINDOW");
        message.xclient.format = 32;
        message.xclient.data.l[0] = 2;  // on the user's behalf, like a task bar
        message.xclient.data.l[1] = CurrentTime;
        message.xclient.data.l[2] = static_cast<long>(activeWindow());
        XSendEvent(connection_->display(), connection_->root(), False,
                   SubstructureRedirectMask | SubstructureNotifyMask, &message);
        XFlush(connection_->display());
        return true;
    }
    return false;
}

void EwmhApplications::observeApplicationActivation(
    std::function<void(const std::optional<platform::RunningApplication>&)> callback)
{
    observers_.push_back(std::move(callback));
}

void EwmhApplications::handle(XEvent& event)
{
    if (event.type != PropertyNotify || event.xproperty.window != connection_->root() ||
        event.xproperty.atom != connection_->atom("_NET_ACTIVE_WINDOW")) {
        return;
    }
    const Window window = activeWindow();
    if (window == lastActiveWindow_) {
        return;
    }
    lastActiveWindow_ = window;
    if (window == None) {
        return;  // focus left every application (the desktop was clicked, say)
    }
    platform::RunningApplication application = applicationOf(window);
    const bool sameApplication = lastActivated_ && application.bundleIdentifier &&
                                 lastActivated_->bundleIdentifier == application.bundleIdentifier;
    lastActivated_ = application;
    if (sameApplication) {
        return;
    }
    // Copy: an observer may register another one.
    const auto observers = observers_;
    for (const auto& observer : observers) {
        observer(application);
    }
}

}  // namespace quorvel::linux_backend
