#include "platform/linux/desktop/WaylandToplevels.h"

#include <wayland-client.h>

#include <algorithm>
#include <chrono>
#include <string_view>

#include "wlr-foreign-toplevel-management-unstable-v1-client-protocol.h"

namespace quorvel::linux_backend {

namespace {

// How long a query waits for the compositor to answer before it uses what it knows.
constexpr std::chrono::milliseconds answerTimeout = std::chrono::seconds(1);
constexpr std::uint32_t newestManagerVersion = 3;

}  // namespace

// ---- ownership ------------------------------------------------------------------

void WaylandToplevels::HandleDeleter::operator()(zwlr_foreign_toplevel_handle_v1* handle) const
{
    zwlr_foreign_toplevel_handle_v1_destroy(handle);
}

void WaylandToplevels::SeatDeleter::operator()(wl_seat* seat) const { wl_seat_destroy(seat); }

void WaylandToplevels::ManagerDeleter::operator()(zwlr_foreign_toplevel_manager_v1* manager) const
{
    zwlr_foreign_toplevel_manager_v1_stop(manager);
    zwlr_foreign_toplevel_manager_v1_destroy(manager);
}

// ---- events -----------------------------------------------------------------------

struct WaylandToplevels::Events {
    // A registry walk: the first seat and the manager.
    struct Globals {
        wl_registry* registry = nullptr;
        std::optional<std::uint32_t> seat;
        std::optional<std::pair<std::uint32_t, std::uint32_t>> manager;  // name, version
    };
    static void global(void* data, wl_registry*, std::uint32_t name, const char* interface, std::uint32_t version)
    {
        auto* globals = static_cast<Globals*>(data);
        const std::string_view announced = interface;
        if (announced == wl_seat_interface.name && !globals->seat) globals->seat = name;
        if (announced == zwlr_foreign_toplevel_manager_v1_interface.name) globals->manager = {name, version};
    }
    static void globalRemove(void*, wl_registry*, std::uint32_t) {}

    static void toplevel(void* data, zwlr_foreign_toplevel_manager_v1*, zwlr_foreign_toplevel_handle_v1* handle)
    {
        static_cast<WaylandToplevels*>(data)->introduce(handle);
    }
    static void finished(void* data, zwlr_foreign_toplevel_manager_v1*)
    {
        static_cast<WaylandToplevels*>(data)->finish();
    }

    static Toplevel& of(void* data) { return *static_cast<Toplevel*>(data); }
    static void title(void*, zwlr_foreign_toplevel_handle_v1*, const char*) {}
    static void appId(void* data, zwlr_foreign_toplevel_handle_v1*, const char* id)
    {
        of(data).pendingAppId = std::string(id);
    }
    static void output(void*, zwlr_foreign_toplevel_handle_v1*, wl_output*) {}
    static void state(void* data, zwlr_foreign_toplevel_handle_v1*, wl_array* states)
    {
        const auto* begin = static_cast<const std::uint32_t*>(states->data);
        const auto* end = begin + states->size / sizeof(std::uint32_t);
        of(data).pendingActivated =
            std::find(begin, end, ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_ACTIVATED) != end;
    }
    static void done(void* data, zwlr_foreign_toplevel_handle_v1*) { of(data).owner->describe(of(data)); }
    static void closed(void* data, zwlr_foreign_toplevel_handle_v1*) { of(data).owner->close(of(data)); }
    static void parent(void*, zwlr_foreign_toplevel_handle_v1*, zwlr_foreign_toplevel_handle_v1*) {}

    static constexpr wl_registry_listener registry = {&global, &globalRemove};
    static constexpr zwlr_foreign_toplevel_manager_v1_listener manager = {&toplevel, &finished};
    static constexpr zwlr_foreign_toplevel_handle_v1_listener handle = {&title,  &appId, &output, &output,
                                                                        &state,  &done,  &closed, &parent};
};

// ---- connecting ----------------------------------------------------------------------

std::unique_ptr<WaylandToplevels> WaylandToplevels::connect(GMainContext* context, const std::string& displayName)
{
    std::unique_ptr<WaylandToplevels> toplevels(new WaylandToplevels(context));
    toplevels->display_ = WaylandDisplaySource::connect(displayName);
    if (!toplevels->display_) return nullptr;

    Events::Globals globals;
    globals.registry = wl_display_get_registry(toplevels->display_->display());
    const std::unique_ptr<wl_registry, void (*)(wl_registry*)> registry(globals.registry, &wl_registry_destroy);
    wl_registry_add_listener(globals.registry, &Events::registry, &globals);
    if (!toplevels->display_->roundtrip(answerTimeout) || !globals.seat || !globals.manager) return nullptr;

    toplevels->seat_.reset(
        static_cast<wl_seat*>(wl_registry_bind(globals.registry, *globals.seat, &wl_seat_interface, 1)));
    toplevels->manager_.reset(static_cast<zwlr_foreign_toplevel_manager_v1*>(
        wl_registry_bind(globals.registry, globals.manager->first, &zwlr_foreign_toplevel_manager_v1_interface,
                         std::min(globals.manager->second, newestManagerVersion))));
    zwlr_foreign_toplevel_manager_v1_add_listener(toplevels->manager_.get(), &Events::manager, toplevels.get());
    // The manager lists the open toplevels right away; the one in front then is no activation.
    if (!toplevels->display_->roundtrip(answerTimeout)) return nullptr;
    toplevels->announcements_.clear();
    toplevels->delivery_.reset();
    toplevels->display_->attach(context);
    return toplevels;
}

WaylandToplevels::WaylandToplevels(GMainContext* context) : context_(context) {}

WaylandToplevels::~WaylandToplevels() = default;

// ---- the toplevels ---------------------------------------------------------------------

void WaylandToplevels::introduce(zwlr_foreign_toplevel_handle_v1* handle)
{
    auto toplevel = std::make_unique<Toplevel>();
    toplevel->handle.reset(handle);
    toplevel->owner = this;
    toplevel->serial = ++serials_;
    zwlr_foreign_toplevel_handle_v1_add_listener(handle, &Events::handle, toplevel.get());
    toplevels_.push_back(std::move(toplevel));
}

void WaylandToplevels::describe(Toplevel& toplevel)
{
    if (toplevel.pendingAppId && (!toplevel.described || toplevel.pendingAppId != toplevel.appId)) {
        toplevel.appId = toplevel.pendingAppId;
        // App ids are desktop-file IDs by convention, yet many are class-like names
        // ("Alacritty"): those are looked up as a window class would be.
        toplevel.bundleIdentifier = resolver_.resolve(toplevel.appId, std::nullopt, toplevel.appId);
    }
    if (toplevel.pendingActivated && !toplevel.activated) toplevel.activatedAt = ++activations_;
    toplevel.activated = toplevel.pendingActivated;
    toplevel.described = true;
    frontMayHaveChanged();
}

void WaylandToplevels::close(Toplevel& toplevel)
{
    std::erase_if(toplevels_, [&](const auto& entry) { return entry.get() == &toplevel; });
    frontMayHaveChanged();
}

void WaylandToplevels::finish()
{
    // The compositor stopped reporting: what we know goes stale, and the manager is
    // already gone on its side.
    toplevels_.clear();
    zwlr_foreign_toplevel_manager_v1_destroy(manager_.release());
    display_->retire();
}

const WaylandToplevels::Toplevel* WaylandToplevels::activeToplevel() const
{
    // A compositor with several seats may activate several toplevels: the latest wins.
    const Toplevel* active = nullptr;
    for (const auto& toplevel : toplevels_) {
        if (toplevel->described && toplevel->activated && (!active || toplevel->activatedAt > active->activatedAt)) {
            active = toplevel.get();
        }
    }
    return active;
}

platform::RunningApplication WaylandToplevels::applicationOf(const Toplevel& toplevel) const
{
    platform::RunningApplication application;
    application.bundleIdentifier = toplevel.bundleIdentifier;
    return application;
}

void WaylandToplevels::frontMayHaveChanged()
{
    const Toplevel* active = activeToplevel();
    const std::uint64_t serial = active ? active->serial : 0;
    if (serial == lastActiveSerial_) return;
    lastActiveSerial_ = serial;
    if (active == nullptr) {
        return;  // focus left every application (an empty workspace, say)
    }
    platform::RunningApplication application = applicationOf(*active);
    const bool sameApplication = lastActivated_ && application.bundleIdentifier &&
                                 lastActivated_->bundleIdentifier == application.bundleIdentifier;
    lastActivated_ = application;
    if (!sameApplication) announce(application);
}

// ---- activations ---------------------------------------------------------------------

void WaylandToplevels::announce(const platform::RunningApplication& application)
{
    announcements_.push_back(application);
    if (delivery_) return;
    delivery_.reset(g_idle_source_new());
    g_source_set_callback(
        delivery_.get(),
        [](gpointer data) -> gboolean {
            static_cast<WaylandToplevels*>(data)->deliverAnnouncements();
            return G_SOURCE_REMOVE;
        },
        this, nullptr);
    g_source_attach(delivery_.get(), context_);
}

void WaylandToplevels::deliverAnnouncements()
{
    const auto announcements = std::move(announcements_);
    announcements_.clear();
    delivery_.reset();  // GLib holds the source until this dispatch returns
    // Copy: an observer may register another one.
    const auto observers = observers_;
    for (const auto& application : announcements) {
        for (const auto& observer : observers) observer(application);
    }
}

void WaylandToplevels::observeApplicationActivation(
    std::function<void(const std::optional<platform::RunningApplication>&)> callback)
{
    observers_.push_back(std::move(callback));
}

// ---- queries ---------------------------------------------------------------------------

// Catches up with the compositor; false when it is gone or stopped reporting.
bool WaylandToplevels::current() { return manager_ && display_->roundtrip(answerTimeout); }

std::optional<platform::RunningApplication> WaylandToplevels::frontmostApplication()
{
    if (!current()) return std::nullopt;
    const Toplevel* active = activeToplevel();
    if (active == nullptr) return std::nullopt;
    return applicationOf(*active);
}

std::vector<platform::RunningApplication> WaylandToplevels::runningApplications()
{
    std::vector<platform::RunningApplication> applications;
    if (!current()) return applications;
    for (const auto& toplevel : toplevels_) {
        if (!toplevel->described) continue;
        platform::RunningApplication application = applicationOf(*toplevel);
        const bool listed =
            application.bundleIdentifier &&
            std::any_of(applications.begin(), applications.end(), [&](const platform::RunningApplication& other) {
                return other.bundleIdentifier == application.bundleIdentifier;
            });
        if (!listed) applications.push_back(std::move(application));
    }
    return applications;
}

bool WaylandToplevels::activate(const std::string& bundleIdentifier)
{
    if (!current()) return false;
    // The window of the application that was in front last comes forward.
    const Toplevel* chosen = nullptr;
    for (const auto& toplevel : toplevels_) {
        if (toplevel->described && toplevel->bundleIdentifier == bundleIdentifier &&
            (!chosen || toplevel->activatedAt >= chosen->activatedAt)) {
            chosen = toplevel.get();
        }
    }
    if (chosen == nullptr) return false;
    zwlr_foreign_toplevel_handle_v1_activate(chosen->handle.get(), seat_.get());
    return display_->flushBefore(std::chrono::steady_clock::now() + answerTimeout);
}

}  // namespace quorvel::linux_backend
