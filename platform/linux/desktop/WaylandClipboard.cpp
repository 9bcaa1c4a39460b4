#include "platform/linux/desktop/WaylandClipboard.h"

#include <fcntl.h>
#include <glib-unix.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>
#include <wayland-client.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <random>

#include "ext-data-control-v1-client-protocol.h"
#include "wlr-data-control-unstable-v1-client-protocol.h"

namespace quorvel::linux_backend {

// Both protocols are the same on the wire under different names, so one set of
// requests and listeners serves either; only the interfaces differ.
struct WaylandClipboard::Protocol {
    const char* managerName;
    const wl_interface* manager;
    const wl_interface* device;
    const wl_interface* source;
    const wl_interface* offer;
};

namespace {

using Clock = std::chrono::steady_clock;

// In order of preference.
const std::array<WaylandClipboard::Protocol, 2> protocols = {{
    {"ext_data_control_manager_v1", &ext_data_control_manager_v1_interface, &ext_data_control_device_v1_interface,
     &ext_data_control_source_v1_interface, &ext_data_control_offer_v1_interface},
    {"zwlr_data_control_manager_v1", &zwlr_data_control_manager_v1_interface,
     &zwlr_data_control_device_v1_interface, &zwlr_data_control_source_v1_interface,
     &zwlr_data_control_offer_v1_interface},
}};

namespace opcode {
constexpr std::uint32_t createSource = EXT_DATA_CONTROL_MANAGER_V1_CREATE_DATA_SOURCE;
constexpr std::uint32_t getDevice = EXT_DATA_CONTROL_MANAGER_V1_GET_DATA_DEVICE;
constexpr std::uint32_t destroyManager = EXT_DATA_CONTROL_MANAGER_V1_DESTROY;
constexpr std::uint32_t setSelection = EXT_DATA_CONTROL_DEVICE_V1_SET_SELECTION;
constexpr std::uint32_t destroyDevice = EXT_DATA_CONTROL_DEVICE_V1_DESTROY;
constexpr std::uint32_t offer = EXT_DATA_CONTROL_SOURCE_V1_OFFER;
constexpr std::uint32_t destroySource = EXT_DATA_CONTROL_SOURCE_V1_DESTROY;
constexpr std::uint32_t receive = EXT_DATA_CONTROL_OFFER_V1_RECEIVE;
constexpr std::uint32_t destroyOffer = EXT_DATA_CONTROL_OFFER_V1_DESTROY;

static_assert(createSource == ZWLR_DATA_CONTROL_MANAGER_V1_CREATE_DATA_SOURCE &&
              getDevice == ZWLR_DATA_CONTROL_MANAGER_V1_GET_DATA_DEVICE &&
              destroyManager == ZWLR_DATA_CONTROL_MANAGER_V1_DESTROY &&
              setSelection == ZWLR_DATA_CONTROL_DEVICE_V1_SET_SELECTION &&
              destroyDevice == ZWLR_DATA_CONTROL_DEVICE_V1_DESTROY && offer == ZWLR_DATA_CONTROL_SOURCE_V1_OFFER &&
              destroySource == ZWLR_DATA_CONTROL_SOURCE_V1_DESTROY &&
              receive == ZWLR_DATA_CONTROL_OFFER_V1_RECEIVE && destroyOffer == ZWLR_DATA_CONTROL_OFFER_V1_DESTROY);
static_assert(destroyManager == 2 && destroyDevice == 1 && destroySource == 1 && destroyOffer == 1,
              "the deleters in the header name these opcodes");
}  // namespace opcode

// Listener layouts shared by both protocols, in event order.
struct DeviceListener {
    void (*dataOffer)(void* data, wl_proxy* device, wl_proxy* offer);
    void (*selection)(void* data, wl_proxy* device, wl_proxy* offer);
    void (*finished)(void* data, wl_proxy* device);
    void (*primarySelection)(void* data, wl_proxy* device, wl_proxy* offer);
};
struct SourceListener {
    void (*send)(void* data, wl_proxy* source, const char* type, std::int32_t fd);
    void (*cancelled)(void* data, wl_proxy* source);
};
struct OfferListener {
    void (*offer)(void* data, wl_proxy* offer, const char* type);
};

template <typename Listener>
void listen(wl_proxy* proxy, const Listener& listener, void* data)
{
    // What the generated add_listener functions do: libwayland calls each slot with
    // the arguments of the event's signature.
    wl_proxy_add_listener(proxy, reinterpret_cast<void (**)(void)>(const_cast<Listener*>(&listener)), data);
}

// Markers of our sources start with this; the token tells our sources from those of
// another client that uses the same scheme.
constexpr std::string_view markerPrefix = "application/x-quorvel-owner";
// Plain text readers that ask for TEXT get the UTF-8 text, as on X11.
constexpr std::string_view textAlias = "TEXT";

bool isAscii(const std::string& text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::string newMarker()
{
    std::random_device random;
    const unsigned long long token = (static_cast<unsigned long long>(random()) << 32) | random();
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", token);
    return std::string(markerPrefix) + ";token=" + text;
}

int millisecondsUntil(Clock::time_point deadline)
{
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::clamp<long long>(left, 0, 60'000));
}

// Blocks SIGPIPE for this thread during one write, and swallows the one that write
// raised, so that a reader that went away never signals the process.
class SigpipeGuard {
public:
    SigpipeGuard()
    {
        sigemptyset(&pipeSignal_);
        sigaddset(&pipeSignal_, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &pipeSignal_, &previous_);
        sigset_t pending;
        sigpending(&pending);
        alreadyPending_ = sigismember(&pending, SIGPIPE) == 1;
    }
    ~SigpipeGuard()
    {
        if (raised_ && !alreadyPending_) {
            const timespec noWait{};
            sigtimedwait(&pipeSignal_, nullptr, &noWait);
        }
        pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
    }
    void noteBrokenPipe() { raised_ = true; }

private:
    sigset_t pipeSignal_;
    sigset_t previous_;
    bool alreadyPending_ = false;
    bool raised_ = false;
};

// Writes as much as the pipe (or socket) takes now: the count written, 0 when it is
// full, nothing when the reader is gone.
std::optional<std::size_t> writeSome(int fd, const std::uint8_t* bytes, std::size_t size)
{
    for (;;) {
        ssize_t written = ::send(fd, bytes, size, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (written < 0 && errno == ENOTSOCK) {
            SigpipeGuard guard;
            written = ::write(fd, bytes, size);
            if (written < 0 && errno == EPIPE) guard.noteBrokenPipe();
        }
        if (written >= 0) return static_cast<std::size_t>(written);
        if (errno == EAGAIN || errno == EWOULDBLOCK) return 0;
        if (errno != EINTR) return std::nullopt;
    }
}

}  // namespace

// ---- ownership ---------------------------------------------------------------

template <std::uint32_t DestroyOpcode>
void WaylandClipboard::RequestDeleter<DestroyOpcode>::operator()(wl_proxy* proxy) const
{
    wl_proxy_marshal_flags(proxy, DestroyOpcode, nullptr, wl_proxy_get_version(proxy), WL_MARSHAL_FLAG_DESTROY);
}

void WaylandClipboard::ProxyDeleter::operator()(wl_proxy* proxy) const { wl_proxy_destroy(proxy); }

// ---- events -------------------------------------------------------------------

struct WaylandClipboard::Events {
    static void global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                       std::uint32_t version);
    static void globalRemove(void*, wl_registry*, std::uint32_t) {}

    static void dataOffer(void* data, wl_proxy*, wl_proxy* offer)
    {
        static_cast<WaylandClipboard*>(data)->introduceOffer(offer);
    }
    static void selection(void* data, wl_proxy*, wl_proxy* offer)
    {
        static_cast<WaylandClipboard*>(data)->announceSelection(offer);
    }
    static void finished(void* data, wl_proxy*)
    {
        // The seat is gone: this device is inert for good.
        static_cast<WaylandClipboard*>(data)->display_->retire();
    }
    static void primarySelection(void* data, wl_proxy*, wl_proxy* offer)
    {
        if (offer != nullptr) static_cast<WaylandClipboard*>(data)->dropOffer(offer);
    }
    static void offerType(void* data, wl_proxy*, const char* type)
    {
        static_cast<Offer*>(data)->types.emplace_back(type);
    }
    static void send(void* data, wl_proxy* source, const char* type, std::int32_t fd)
    {
        static_cast<WaylandClipboard*>(data)->serve(source, type, platform::UniqueFd(fd));
    }
    static void cancelled(void* data, wl_proxy* source)
    {
        auto* self = static_cast<WaylandClipboard*>(data);
        if (self->source_ && self->source_->proxy.get() == source) self->source_.reset();
    }
    static gboolean writable(gint, GIOCondition, gpointer data);

    // A registry walk: the first seat and the data-control managers on offer.
    struct Globals {
        wl_registry* registry = nullptr;
        std::optional<std::uint32_t> seat;
        std::array<std::optional<std::uint32_t>, protocols.size()> managers;
    };

    static constexpr wl_registry_listener registry = {&global, &globalRemove};
    static constexpr DeviceListener device = {&dataOffer, &selection, &finished, &primarySelection};
    static constexpr OfferListener offer = {&offerType};
    static constexpr SourceListener source = {&send, &cancelled};
};

void WaylandClipboard::Events::global(void* data, wl_registry*, std::uint32_t name, const char* interface,
                                      std::uint32_t)
{
    auto* globals = static_cast<Globals*>(data);
    const std::string_view announced = interface;
    if (announced == wl_seat_interface.name && !globals->seat) globals->seat = name;
    for (std::size_t i = 0; i < protocols.size(); ++i) {
        if (announced == protocols[i].managerName) globals->managers[i] = name;
    }
}

// ---- connecting ------------------------------------------------------------------

std::unique_ptr<WaylandClipboard> WaylandClipboard::connect(GMainContext* context, const std::string& displayName,
                                                            std::chrono::milliseconds readTimeout)
{
    std::unique_ptr<WaylandClipboard> clipboard(new WaylandClipboard(context, readTimeout));
    clipboard->display_ = WaylandDisplaySource::connect(displayName);
    if (!clipboard->display_) return nullptr;

    Events::Globals globals;
    globals.registry = wl_display_get_registry(clipboard->display_->display());
    const ProxyPointer registry(reinterpret_cast<wl_proxy*>(globals.registry));
    wl_registry_add_listener(globals.registry, &Events::registry, &globals);
    if (!clipboard->catchUp() || !globals.seat) return nullptr;
    const auto found = std::find_if(globals.managers.begin(), globals.managers.end(),
                                    [](const auto& name) { return name.has_value(); });
    if (found == globals.managers.end()) return nullptr;
    clipboard->protocol_ = &protocols[static_cast<std::size_t>(found - globals.managers.begin())];

    clipboard->seat_.reset(
        static_cast<wl_proxy*>(wl_registry_bind(globals.registry, *globals.seat, &wl_seat_interface, 1)));
    clipboard->manager_.reset(static_cast<wl_proxy*>(
        wl_registry_bind(globals.registry, **found, clipboard->protocol_->manager, 1)));
    wl_proxy* manager = clipboard->manager_.get();
    clipboard->device_.reset(wl_proxy_marshal_flags(manager, opcode::getDevice, clipboard->protocol_->device,
                                                    wl_proxy_get_version(manager), 0, nullptr,
                                                    clipboard->seat_.get()));
    listen(clipboard->device_.get(), Events::device, clipboard.get());
    // The device announces the current selection right away; that is no change.
    if (!clipboard->catchUp()) return nullptr;
    clipboard->initialSelectionSeen_ = true;

    clipboard->display_->attach(context);
    return clipboard;
}

WaylandClipboard::WaylandClipboard(GMainContext* context, std::chrono::milliseconds readTimeout)
    : context_(context), readTimeout_(readTimeout), marker_(newMarker())
{
}

WaylandClipboard::~WaylandClipboard()
{
    transfers_.clear();
    source_.reset();
    selection_.reset();
    introduced_.clear();
    device_.reset();
    manager_.reset();
    seat_.reset();
    display_.reset();  // sends the destructors above
}

// ---- the connection -----------------------------------------------------------------

bool WaylandClipboard::broken() const { return !display_ || display_->broken(); }

// Makes every event the compositor sent before it answers a sync visible, so that
// the selection, the change count and the ownership are current.
bool WaylandClipboard::catchUp() { return display_ && display_->roundtrip(readTimeout_); }

// ---- the selection --------------------------------------------------------------------

void WaylandClipboard::introduceOffer(wl_proxy* proxy)
{
    auto offer = std::make_unique<Offer>();
    offer->proxy.reset(proxy);
    listen(proxy, Events::offer, offer.get());
    introduced_.push_back(std::move(offer));
}

void WaylandClipboard::dropOffer(wl_proxy* proxy)
{
    std::erase_if(introduced_, [&](const auto& offer) { return offer->proxy.get() == proxy; });
}

void WaylandClipboard::announceSelection(wl_proxy* proxy)
{
    std::unique_ptr<Offer> offer;
    const auto introduced = std::find_if(introduced_.begin(), introduced_.end(),
                                         [&](const auto& entry) { return entry->proxy.get() == proxy; });
    if (introduced != introduced_.end()) {
        offer = std::move(*introduced);
        introduced_.erase(introduced);
    }
    // Our own writes are counted when we make them. The compositor cancels a source
    // of ours before it announces anyone else's selection, so an offer carrying our
    // marker while our source lives is the echo of our own write; a copy of our
    // offer that someone else took over (a clipboard manager) is a change of owner.
    const bool ourEcho = offer ? source_ && std::find(offer->types.begin(), offer->types.end(), marker_) !=
                                                 offer->types.end()
                               : clearing_;
    if (!initialSelectionSeen_) {
        initialSelectionSeen_ = true;  // the state when we arrived, no change
    } else if (!ourEcho) {
        ++changeCount_;
        source_.reset();
    }
    selection_ = std::move(offer);
}

// ---- serving --------------------------------------------------------------------------

void WaylandClipboard::serve(wl_proxy* source, const std::string& type, platform::UniqueFd fd)
{
    if (!source_ || source_->proxy.get() != source) return;
    std::shared_ptr<const platform::Bytes> bytes;
    const auto find = [&](const std::string& name) {
        const auto entry = std::find_if(source_->offered.begin(), source_->offered.end(),
                                        [&](const auto& candidate) { return candidate.first == name; });
        return entry != source_->offered.end() ? entry->second : nullptr;
    };
    if (type == marker_) {
        bytes = std::make_shared<const platform::Bytes>();
    } else {
        bytes = find(type);
        if (!bytes && type == textAlias) bytes = find("UTF8_STRING");
    }
    if (!bytes) return;  // closing the pipe tells the reader there is nothing

    const int flags = ::fcntl(fd.get(), F_GETFL);
    if (flags < 0 || ::fcntl(fd.get(), F_SETFL, flags | O_NONBLOCK) < 0) return;
    Transfer transfer{std::move(fd), std::move(bytes), 0, nullptr};
    if (!continueTransfer(transfer)) return;  // all written at once, or the reader left

    // The rest goes out whenever the reader has made room.
    Transfer& waiting = transfers_.emplace_back(std::move(transfer));
    waiting.watch.reset(g_unix_fd_source_new(waiting.fd.get(), G_IO_OUT));
    const auto writable = reinterpret_cast<GSourceFunc>(reinterpret_cast<void (*)()>(&Events::writable));
    g_source_set_callback(waiting.watch.get(), writable, this, nullptr);
    g_source_attach(waiting.watch.get(), context_);
}

// Writes what the pipe takes; true while more is left to write.
bool WaylandClipboard::continueTransfer(Transfer& transfer)
{
    while (transfer.offset < transfer.data->size()) {
        const auto written = writeSome(transfer.fd.get(), transfer.data->data() + transfer.offset,
                                       transfer.data->size() - transfer.offset);
        if (!written) return false;
        if (*written == 0) return true;
        transfer.offset += *written;
    }
    return false;
}

gboolean WaylandClipboard::Events::writable(gint fd, GIOCondition, gpointer data)
{
    auto* self = static_cast<WaylandClipboard*>(data);
    const auto transfer = std::find_if(self->transfers_.begin(), self->transfers_.end(),
                                       [&](const Transfer& candidate) { return candidate.fd.get() == fd; });
    if (transfer == self->transfers_.end()) return G_SOURCE_REMOVE;
    if (self->continueTransfer(*transfer)) return G_SOURCE_CONTINUE;
    self->transfers_.erase(transfer);  // closes the pipe: done, or the reader went away
    return G_SOURCE_REMOVE;
}

bool WaylandClipboard::takeSelection(Offered offered)
{
    if (!catchUp()) return false;
    wl_proxy* manager = manager_.get();
    auto source = std::make_unique<Source>();
    source->proxy.reset(wl_proxy_marshal_flags(manager, opcode::createSource, protocol_->source,
                                               wl_proxy_get_version(manager), 0, nullptr));
    if (!source->proxy) return false;
    listen(source->proxy.get(), Events::source, this);
    const auto offer = [&](const std::string& type) {
        wl_proxy_marshal_flags(source->proxy.get(), opcode::offer, nullptr, wl_proxy_get_version(source->proxy.get()),
                               0, type.c_str());
    };
    const auto offers = [&](std::string_view type) {
        return std::any_of(offered.begin(), offered.end(), [&](const auto& entry) { return entry.first == type; });
    };
    for (const auto& entry : offered) offer(entry.first);
    if (offers("UTF8_STRING") && !offers(textAlias)) offer(std::string(textAlias));
    offer(marker_);
    source->offered = std::move(offered);

    wl_proxy_marshal_flags(device_.get(), opcode::setSelection, nullptr, wl_proxy_get_version(device_.get()), 0,
                           source->proxy.get());
    // Replacing our previous source only after the new one is set keeps the
    // compositor from clearing the selection in between.
    source_ = std::move(source);
    catchUp();
    if (broken()) return false;
    ++changeCount_;
    return true;
}

// ---- reading -------------------------------------------------------------------------

std::optional<platform::Bytes> WaylandClipboard::receive(Offer& offer, const std::string& type)
{
    if (offer.unresponsive) return std::nullopt;
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) return std::nullopt;
    const platform::UniqueFd readEnd(ends[0]);
    {
        // The request carries a copy of the write end; ours must close for the end of
        // data to show.
        const platform::UniqueFd writeEnd(ends[1]);
        wl_proxy_marshal_flags(offer.proxy.get(), opcode::receive, nullptr, wl_proxy_get_version(offer.proxy.get()),
                               0, type.c_str(), writeEnd.get());
    }
    Clock::time_point deadline = Clock::now() + readTimeout_;
    if (!display_->flushBefore(deadline)) return std::nullopt;

    platform::Bytes received;
    std::array<std::uint8_t, 64 * 1024> buffer;
    for (;;) {
        const ssize_t count = ::read(readEnd.get(), buffer.data(), buffer.size());
        if (count > 0) {
            received.insert(received.end(), buffer.begin(), buffer.begin() + count);
            deadline = Clock::now() + readTimeout_;  // an owner that keeps writing is alive
            continue;
        }
        if (count == 0) return received;
        if (errno == EINTR) continue;
        if (errno != EAGAIN) return std::nullopt;
        pollfd descriptor{readEnd.get(), POLLIN, 0};
        if (::poll(&descriptor, 1, millisecondsUntil(deadline)) == 0) {
            offer.unresponsive = true;
            return std::nullopt;
        }
    }
}

bool WaylandClipboard::isMarker(const std::string& type) const { return type.starts_with(markerPrefix); }

// ---- the pasteboard ----------------------------------------------------------------------

std::optional<std::size_t> WaylandClipboard::itemCount()
{
    if (!catchUp()) return std::nullopt;
    return currentTypes().empty() ? 0 : 1;
}

std::vector<std::string> WaylandClipboard::types(std::size_t item)
{
    if (item != 0 || !catchUp()) return {};
    return currentTypes();
}

std::vector<std::string> WaylandClipboard::currentTypes() const
{
    std::vector<std::string> names;
    if (source_) {
        for (const auto& entry : source_->offered) names.push_back(entry.first);
        return names;
    }
    if (selection_) {
        for (const std::string& type : selection_->types) {
            if (!isMarker(type) && std::find(names.begin(), names.end(), type) == names.end()) names.push_back(type);
        }
    }
    return names;
}

std::optional<platform::Bytes> WaylandClipboard::data(std::size_t item, const std::string& type)
{
    if (item != 0 || !catchUp()) return std::nullopt;
    if (source_) {
        // Asking the compositor for our own data would wait on ourselves.
        const auto entry = std::find_if(source_->offered.begin(), source_->offered.end(),
                                        [&](const auto& candidate) { return candidate.first == type; });
        return entry != source_->offered.end() ? std::optional<platform::Bytes>(*entry->second) : std::nullopt;
    }
    if (!selection_ || isMarker(type) ||
        std::find(selection_->types.begin(), selection_->types.end(), type) == selection_->types.end()) {
        return std::nullopt;
    }
    return receive(*selection_, type);
}

void WaylandClipboard::clearContents()
{
    if (!catchUp()) return;
    clearing_ = true;
    wl_proxy_marshal_flags(device_.get(), opcode::setSelection, nullptr, wl_proxy_get_version(device_.get()), 0,
                           nullptr);
    source_.reset();
    // The empty selection comes back to us before the sync does; it carries no marker.
    catchUp();
    clearing_ = false;
    if (!broken()) ++changeCount_;
}

bool WaylandClipboard::setPlainText(const std::string& text)
{
    const auto bytes = std::make_shared<const platform::Bytes>(text.begin(), text.end());
    Offered offered = {{"UTF8_STRING", bytes}, {"text/plain;charset=utf-8", bytes}};
    // These two are Latin-1 by convention; plain ASCII is the same in both.
    if (isAscii(text)) {
        offered.emplace_back("STRING", bytes);
        offered.emplace_back("text/plain", bytes);
    }
    return takeSelection(std::move(offered));
}

bool WaylandClipboard::writeObjects(const std::vector<platform::PasteboardItem>& items)
{
    // The selection holds one item: the types of all items, the first one's data
    // winning where a type repeats.
    Offered offered;
    for (const platform::PasteboardItem& item : items) {
        for (const auto& [type, bytes] : item.dataByType) {
            const bool known =
                std::any_of(offered.begin(), offered.end(), [&](const auto& entry) { return entry.first == type; });
            if (!known && !isMarker(type)) offered.emplace_back(type, std::make_shared<const platform::Bytes>(bytes));
        }
    }
    return takeSelection(std::move(offered));
}

std::int64_t WaylandClipboard::changeCount()
{
    catchUp();
    return changeCount_;
}

}  // namespace quorvel::linux_backend
