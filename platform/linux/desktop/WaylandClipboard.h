#pragma once

#include <glib.h>

#include <chrono>
#include <cstdint>
#include <list>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/linux/GLibHandles.h"
#include "platform/Pasteboard.h"
#include "platform/linux/desktop/WaylandDisplaySource.h"
#include "platform/UniqueFd.h"

struct wl_proxy;

namespace quorvel::linux_backend {

// The session clipboard of a Wayland desktop, reached through a data-control protocol
// (ext-data-control-v1 where the compositor offers it, else wlroots' older
// wlr-data-control-unstable-v1), which lets a client without a window or keyboard
// focus read and set the selection. It holds at most one item whose types are those
// of the current selection offer. Reads ask the current owner through a pipe, bounded
// by a timeout so that a dead owner cannot stall the agent; writes make a source of
// ours the selection, which serves requests without blocking from the main context.
// The change count grows with every new selection, ours included; the primary
// selection is ignored.
class WaylandClipboard final : public platform::Pasteboard {
public:
    // Nothing when no Wayland display can be reached, or it offers no seat or no
    // data-control manager. An empty name means the session's WAYLAND_DISPLAY.
    static std::unique_ptr<WaylandClipboard> connect(GMainContext* context, const std::string& displayName = {},
                                                     std::chrono::milliseconds readTimeout = std::chrono::seconds(1));
    ~WaylandClipboard() override;
    WaylandClipboard(const WaylandClipboard&) = delete;
    WaylandClipboard& operator=(const WaylandClipboard&) = delete;

    std::optional<std::size_t> itemCount() override;
    std::vector<std::string> types(std::size_t item) override;
    std::optional<platform::Bytes> data(std::size_t item, const std::string& type) override;
    void clearContents() override;
    bool setPlainText(const std::string& text) override;
    std::int64_t changeCount() override;
    bool writeObjects(const std::vector<platform::PasteboardItem>& items) override;

    // The interfaces of one of the two data-control protocols.
    struct Protocol;

private:
    // Protocol objects that end with a destructor request of the given opcode.
    template <std::uint32_t DestroyOpcode>
    struct RequestDeleter {
        void operator()(wl_proxy* proxy) const;
    };
    struct ProxyDeleter {
        void operator()(wl_proxy* proxy) const;
    };
    using ProxyPointer = std::unique_ptr<wl_proxy, ProxyDeleter>;
    using Offered = std::vector<std::pair<std::string, std::shared_ptr<const platform::Bytes>>>;

    // What the current (or a just introduced) selection offers.
    struct Offer {
        std::unique_ptr<wl_proxy, RequestDeleter<1>> proxy;
        std::vector<std::string> types;
        bool unresponsive = false;  // one timeout per owner is enough
    };
    // The selection while it is ours.
    struct Source {
        std::unique_ptr<wl_proxy, RequestDeleter<1>> proxy;
        Offered offered;
    };
    // Data going out to a reader, continued whenever its pipe has room.
    struct Transfer {
        platform::UniqueFd fd;
        std::shared_ptr<const platform::Bytes> data;
        std::size_t offset = 0;
        AttachedSource watch;
    };

    struct Events;

    WaylandClipboard(GMainContext* context, std::chrono::milliseconds readTimeout);

    bool broken() const;
    bool catchUp();
    bool takeSelection(Offered offered);

    void introduceOffer(wl_proxy* proxy);
    void announceSelection(wl_proxy* proxy);
    void dropOffer(wl_proxy* proxy);
    void serve(wl_proxy* source, const std::string& type, platform::UniqueFd fd);
    bool continueTransfer(Transfer& transfer);
    std::optional<platform::Bytes> receive(Offer& offer, const std::string& type);
    bool isMarker(const std::string& type) const;
    std::vector<std::string> currentTypes() const;

    GMainContext* context_;
    std::chrono::milliseconds readTimeout_;
    std::string marker_;
    std::unique_ptr<WaylandDisplaySource> display_;
    const Protocol* protocol_ = nullptr;
    ProxyPointer seat_;
    std::unique_ptr<wl_proxy, RequestDeleter<2>> manager_;
    std::unique_ptr<wl_proxy, RequestDeleter<1>> device_;
    std::vector<std::unique_ptr<Offer>> introduced_;
    std::unique_ptr<Offer> selection_;
    std::unique_ptr<Source> source_;
    std::list<Transfer> transfers_;

    std::int64_t changeCount_ = 0;
    bool initialSelectionSeen_ = false;
    bool clearing_ = false;
};

}  // namespace quorvel::linux_backend
