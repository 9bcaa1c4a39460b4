#include "platform/linux/desktop/X11Clipboard.h"

#include <X11/Xatom.h>
#include <X11/extensions/Xfixes.h>
#include <poll.h>

#include <algorithm>
#include <climits>
#include <cstring>

namespace quorvel::linux_backend {
namespace {

// Targets that describe the conversation rather than the contents.
constexpr const char* bookkeepingTargetNames[] = {"TARGETS",         "TIMESTAMP",       "MULTIPLE",
                                                  "SAVE_TARGETS",    "DELETE",          "INSERT_SELECTION",
                                                  "INSERT_PROPERTY", "TEXT"};

bool isAscii(const std::string& text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

struct PropertyData {
    Atom type = None;
    int format = 0;
    platform::Bytes bytes;
};

// Reads and deletes a whole property. 32-bit items come back from Xlib as longs.
std::optional<PropertyData> takeProperty(Display* display, Window window, Atom property)
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window, property, 0, LONG_MAX / 4, True, AnyPropertyType, &type, &format, &count,
                           &remaining, &data) != Success) {
        return std::nullopt;
    }
    PropertyData result{type, format, {}};
    if (data != nullptr) {
        const std::size_t itemSize = format == 32 ? sizeof(long) : format == 16 ? sizeof(short) : 1;
        result.bytes.assign(data, data + count * itemSize);
        XFree(data);
    }
    if (type == None) {
        return std::nullopt;
    }
    return result;
}

}  // namespace

std::unique_ptr<X11Clipboard> X11Clipboard::connect(GMainContext* context, const std::string& displayName,
                                                    std::chrono::milliseconds readTimeout)
{
    std::unique_ptr<XConnection> connection = XConnection::open(displayName);
    int eventBase = 0;
    int errorBase = 0;
    if (!connection || !XFixesQueryExtension(connection->display(), &eventBase, &errorBase)) {
        return nullptr;
    }
    int major = 1;
    int minor = 0;
    XFixesQueryVersion(connection->display(), &major, &minor);
    return std::unique_ptr<X11Clipboard>(new X11Clipboard(std::move(connection), eventBase, context, readTimeout));
}

X11Clipboard::X11Clipboard(std::unique_ptr<XConnection> connection, int xfixesEventBase, GMainContext* context,
                           std::chrono::milliseconds readTimeout)
    : connection_(std::move(connection)), xfixesEventBase_(xfixesEventBase), readTimeout_(readTimeout)
{
    Display* display = connection_->display();
    clipboard_ = connection_->atom("CLIPBOARD");
    targets_ = connection_->atom("TARGETS");
    timestamp_ = connection_->atom("TIMESTAMP");
    multiple_ = connection_->atom("MULTIPLE");
    incr_ = connection_->atom("INCR");
    utf8String_ = connection_->atom("UTF8_STRING");
    text_ = connection_->atom("TEXT");
    transferProperty_ = connection_->atom("QUORVEL_CLIPBOARD_TRANSFER");
    // Stay well below the request size limit; larger data goes out incrementally.
    chunkSize_ = std::min<std::size_t>(static_cast<std::size_t>(XMaxRequestSize(display)) * 4 - 1024, 256 * 1024);

    window_ = XCreateSimpleWindow(display, connection_->root(), -10, -10, 1, 1, 0, 0, 0);
    XSelectInput(display, window_, PropertyChangeMask);
    XFixesSelectSelectionInput(display, connection_->root(), clipboard_,
                               XFixesSetSelectionOwnerNotifyMask | XFixesSelectionWindowDestroyNotifyMask |
                                   XFixesSelectionClientCloseNotifyMask);
    XSync(display, False);
    watch_ = std::make_unique<XEventWatch>(display, context, [this](XEvent& event) { handle(event); });
}

X11Clipboard::~X11Clipboard()
{
    watch_.reset();
    XDestroyWindow(connection_->display(), window_);
    XSync(connection_->display(), False);
}

// ---- events -------------------------------------------------------------

void X11Clipboard::handle(XEvent& event)
{
    if (event.type == xfixesEventBase_ + XFixesSelectionNotify) {
        const auto& notify = reinterpret_cast<const XFixesSelectionNotifyEvent&>(event);
        // Our own ownership changes are counted when we make them.
        if (notify.selection == clipboard_ && notify.owner != window_) {
            ++changeCount_;
            owning_ = false;
        }
        return;
    }
    switch (event.type) {
    case SelectionClear:
        if (event.xselectionclear.window == window_ && event.xselectionclear.selection == clipboard_) {
            owning_ = false;
            offered_.clear();
        }
        break;
    case SelectionRequest:
        serveRequest(event.xselectionrequest);
        break;
    case PropertyNotify:
        if (event.xproperty.window != window_ && event.xproperty.state == PropertyDelete) {
            continueTransfer(event.xproperty.window, event.xproperty.atom);
        }
        break;
    case DestroyNotify:
        dropTransfersTo(event.xdestroywindow.window);
        break;
    default:
        break;
    }
}

// Makes every event the server generated so far visible, so that the change count
// and the ownership state are current.
void X11Clipboard::catchUp()
{
    XSync(connection_->display(), False);
    watch_->dispatchPending();
}

bool X11Clipboard::ownsSelection()
{
    if (owning_ && XGetSelectionOwner(connection_->display(), clipboard_) != window_) {
        owning_ = false;
    }
    return owning_;
}

Time X11Clipboard::serverTime()
{
    // A zero-length append changes nothing but yields a PropertyNotify with the time.
    const Atom stamp = connection_->atom("QUORVEL_CLIPBOARD_TIME");
    XChangeProperty(connection_->display(), window_, stamp, XA_STRING, 8, PropModeAppend, nullptr, 0);
    XFlush(connection_->display());
    XEvent found;
    const bool seen = waitForEvent(
        [&](const XEvent& event) {
            return event.type == PropertyNotify && event.xproperty.window == window_ && event.xproperty.atom == stamp;
        },
        found, std::chrono::steady_clock::now() + readTimeout_);
    return seen ? found.xproperty.time : CurrentTime;
}

bool X11Clipboard::takeOwnership(std::vector<std::pair<std::string, platform::Bytes>> offered)
{
    catchUp();
    const Time time = serverTime();
    XSetSelectionOwner(connection_->display(), clipboard_, window_, time);
    if (XGetSelectionOwner(connection_->display(), clipboard_) != window_) {
        return false;
    }
    offered_ = std::move(offered);
    owning_ = true;
    ownershipTime_ = time;
    ++changeCount_;
    catchUp();
    return true;
}

// ---- serving --------------------------------------------------------------

void X11Clipboard::serveRequest(const XSelectionRequestEvent& request)
{
    XEvent reply{};
    reply.xselection.type = SelectionNotify;
    reply.xselection.display = request.display;
    reply.xselection.requestor = request.requestor;
    reply.xselection.selection = request.selection;
    reply.xselection.target = request.target;
    reply.xselection.time = request.time;
    reply.xselection.property = None;

    const bool current = request.time == CurrentTime || request.time >= ownershipTime_;
    if (request.selection == clipboard_ && owning_ && current) {
        // Obsolete requestors name no property: the target doubles as one.
        const Atom property = request.property != None ? request.property : request.target;
        if (answerTarget(request.requestor, property, request.target)) {
            reply.xselection.property = property;
        }
    }
    XSendEvent(connection_->display(), request.requestor, False, NoEventMask, &reply);
    XFlush(connection_->display());
}

bool X11Clipboard::answerTarget(Window requestor, Atom property, Atom target)
{
    Display* display = connection_->display();
    const auto find = [&](const std::string& name) {
        return std::find_if(offered_.begin(), offered_.end(), [&](const auto& entry) { return entry.first == name; });
    };

    if (target == targets_) {
        std::vector<long> atoms = {static_cast<long>(targets_), static_cast<long>(timestamp_)};
        for (const auto& entry : offered_) {
            atoms.push_back(static_cast<long>(connection_->atom(entry.first.c_str())));
        }
        if (find("UTF8_STRING") != offered_.end()) {
            atoms.push_back(static_cast<long>(text_));
        }
        XChangeProperty(display, requestor, property, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(atoms.data()), static_cast<int>(atoms.size()));
        return true;
    }
    if (target == timestamp_) {
        const long time = static_cast<long>(ownershipTime_);
        XChangeProperty(display, requestor, property, XA_INTEGER, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&time), 1);
        return true;
    }

    Atom type = target;
    auto entry = offered_.end();
    if (target == text_) {
        entry = find("UTF8_STRING");
        type = utf8String_;
    } else if (const auto name = connection_->atomName(target)) {
        entry = find(*name);
    }
    if (entry == offered_.end()) {
        return false;
    }
    const platform::Bytes& bytes = entry->second;
    if (bytes.size() > chunkSize_) {
        XSelectInput(display, requestor, PropertyChangeMask | StructureNotifyMask);
        const long size = static_cast<long>(bytes.size());
        XChangeProperty(display, requestor, property, incr_, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&size), 1);
        transfers_.push_back({requestor, property, type, bytes, 0});
        return true;
    }
    XChangeProperty(display, requestor, property, type, 8, PropModeReplace, bytes.data(),
                    static_cast<int>(bytes.size()));
    return true;
}

// The requestor deleted the last chunk: send the next one, or the empty end marker.
void X11Clipboard::continueTransfer(Window requestor, Atom property)
{
    const auto transfer = std::find_if(transfers_.begin(), transfers_.end(), [&](const OutgoingTransfer& candidate) {
        return candidate.requestor == requestor && candidate.property == property;
    });
    if (transfer == transfers_.end()) {
        return;
    }
    const std::size_t length = std::min(chunkSize_, transfer->data.size() - transfer->offset);
    XChangeProperty(connection_->display(), requestor, property, transfer->type, 8, PropModeReplace,
                    transfer->data.data() + transfer->offset, static_cast<int>(length));
    XFlush(connection_->display());
    transfer->offset += length;
    if (length == 0) {
        transfers_.erase(transfer);
    }
}

void X11Clipboard::dropTransfersTo(Window requestor)
{
    std::erase_if(transfers_, [&](const OutgoingTransfer& transfer) { return transfer.requestor == requestor; });
}

// ---- reading ---------------------------------------------------------------

bool X11Clipboard::waitForEvent(const std::function<bool(const XEvent&)>& matches, XEvent& found,
                                std::chrono::steady_clock::time_point deadline)
{
    Display* display = connection_->display();
    for (;;) {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (matches(event)) {
                found = event;
                return true;
            }
            handle(event);
        }
        const auto remaining =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (remaining.count() <= 0) {
            return false;
        }
        pollfd descriptor{ConnectionNumber(display), POLLIN, 0};
        ::poll(&descriptor, 1, static_cast<int>(remaining.count()) + 1);
    }
}

std::optional<platform::Bytes> X11Clipboard::readIncrementally()
{
    platform::Bytes assembled;
    for (;;) {
        XEvent found;
        const bool arrived = waitForEvent(
            [&](const XEvent& event) {
                return event.type == PropertyNotify && event.xproperty.window == window_ &&
                       event.xproperty.atom == transferProperty_ && event.xproperty.state == PropertyNewValue;
            },
            found, std::chrono::steady_clock::now() + readTimeout_);
        if (!arrived) {
            foreign_.unresponsive = true;
            return std::nullopt;
        }
        const auto chunk = takeProperty(connection_->display(), window_, transferProperty_);
        if (!chunk || chunk->format != 8) {
            return std::nullopt;
        }
        if (chunk->bytes.empty()) {
            return assembled;
        }
        assembled.insert(assembled.end(), chunk->bytes.begin(), chunk->bytes.end());
    }
}

std::optional<platform::Bytes> X11Clipboard::convert(Atom target, Atom* type)
{
    if (foreign_.changeCount != changeCount_) {
        foreign_ = ForeignTargets{changeCount_, std::nullopt, false};
    }
    if (foreign_.unresponsive) {
        return std::nullopt;  // one timeout per owner is enough
    }
    Display* display = connection_->display();
    XDeleteProperty(display, window_, transferProperty_);
    XConvertSelection(display, clipboard_, target, transferProperty_, window_, CurrentTime);
    XFlush(display);

    XEvent found;
    const bool answered = waitForEvent(
        [&](const XEvent& event) {
            return event.type == SelectionNotify && event.xselection.requestor == window_ &&
                   event.xselection.selection == clipboard_ && event.xselection.target == target;
        },
        found, std::chrono::steady_clock::now() + readTimeout_);
    if (!answered) {
        foreign_.unresponsive = true;
        return std::nullopt;
    }
    if (found.xselection.property == None) {
        return std::nullopt;  // the owner refused this target
    }
    auto received = takeProperty(display, window_, found.xselection.property);
    if (!received) {
        return std::nullopt;
    }
    *type = received->type;
    if (received->type == incr_) {
        auto assembled = readIncrementally();
        if (assembled) {
            *type = target;
        }
        return assembled;
    }
    if (received->format == 32 && target == targets_) {
        return received->bytes;
    }
    if (received->format != 8) {
        return std::nullopt;  // only byte data can be saved and served again unchanged
    }
    return received->bytes;
}

const std::vector<Atom>* X11Clipboard::foreignTargets()
{
    if (foreign_.changeCount == changeCount_ && foreign_.targets) {
        return &*foreign_.targets;
    }
    Atom type = None;
    const auto bytes = convert(targets_, &type);
    if (!bytes || type != XA_ATOM) {
        return nullptr;
    }
    std::vector<Atom> atoms(bytes->size() / sizeof(long));
    for (std::size_t i = 0; i < atoms.size(); ++i) {
        long value = 0;
        std::memcpy(&value, bytes->data() + i * sizeof(long), sizeof(long));
        atoms[i] = static_cast<Atom>(value);
    }
    foreign_.targets = std::move(atoms);
    return &*foreign_.targets;
}

bool X11Clipboard::isBookkeepingTarget(Atom target) const
{
    const auto name = connection_->atomName(target);
    return !name || std::any_of(std::begin(bookkeepingTargetNames), std::end(bookkeepingTargetNames),
                                [&](const char* bookkeeping) { return *name == bookkeeping; });
}

// ---- the pasteboard ----------------------------------------------------------

std::optional<std::size_t> X11Clipboard::itemCount()
{
    catchUp();
    if (ownsSelection()) {
        return offered_.empty() ? 0 : 1;
    }
    if (XGetSelectionOwner(connection_->display(), clipboard_) == None) {
        return 0;
    }
    const std::vector<Atom>* targets = foreignTargets();
    if (targets == nullptr) {
        return std::nullopt;
    }
    const bool hasData =
        std::any_of(targets->begin(), targets->end(), [&](Atom target) { return !isBookkeepingTarget(target); });
    return hasData ? 1 : 0;
}

std::vector<std::string> X11Clipboard::types(std::size_t item)
{
    std::vector<std::string> names;
    if (item != 0) {
        return names;
    }
    catchUp();
    if (ownsSelection()) {
        for (const auto& entry : offered_) {
            names.push_back(entry.first);
        }
        return names;
    }
    if (const std::vector<Atom>* targets = foreignTargets()) {
        for (const Atom target : *targets) {
            if (!isBookkeepingTarget(target)) {
                if (auto name = connection_->atomName(target);
                    name && std::find(names.begin(), names.end(), *name) == names.end()) {
                    names.push_back(std::move(*name));
                }
            }
        }
    }
    return names;
}

std::optional<platform::Bytes> X11Clipboard::data(std::size_t item, const std::string& type)
{
    if (item != 0) {
        return std::nullopt;
    }
    catchUp();
    if (ownsSelection()) {
        const auto entry =
            std::find_if(offered_.begin(), offered_.end(), [&](const auto& candidate) { return candidate.first == type; });
        return entry != offered_.end() ? std::optional<platform::Bytes>(entry->second) : std::nullopt;
    }
    // A type nobody has named yet cannot be on offer; asking would only add an atom
    // to the server for good.
    const Atom target = XInternAtom(connection_->display(), type.c_str(), True);
    if (target == None || target == targets_) {
        return std::nullopt;
    }
    Atom received = None;
    return convert(target, &received);
}

void X11Clipboard::clearContents()
{
    takeOwnership({});
}

bool X11Clipboard::setPlainText(const std::string& text)
{
    const platform::Bytes bytes(text.begin(), text.end());
    std::vector<std::pair<std::string, platform::Bytes>> offered = {{"UTF8_STRING", bytes},
                                                                    {"text/plain;charset=utf-8", bytes}};
    // These two are Latin-1 by convention; plain ASCII is the same in both.
    if (isAscii(text)) {
        offered.emplace_back("STRING", bytes);
        offered.emplace_back("text/plain", bytes);
    }
    return takeOwnership(std::move(offered));
}

bool X11Clipboard::writeObjects(const std::vector<platform::PasteboardItem>& items)
{
    // The selection holds one item: the types of all items, the first one's data
    // winning where a type repeats.
    std::vector<std::pair<std::string, platform::Bytes>> offered;
    for (const platform::PasteboardItem& item : items) {
        for (const auto& [type, bytes] : item.dataByType) {
            const bool known = std::any_of(offered.begin(), offered.end(),
                                           [&](const auto& entry) { return entry.first == type; });
            if (!known) {
                offered.emplace_back(type, bytes);
            }
        }
    }
    return takeOwnership(std::move(offered));
}

std::int64_t X11Clipboard::changeCount()
{
    catchUp();
    return changeCount_;
}

}  // namespace quorvel::linux_backend
