#pragma once

#include <X11/Xlib.h>
#include <glib.h>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Pasteboard.h"
#include "platform/linux/desktop/XConnection.h"

namespace quorvel::linux_backend {

// The session clipboard of an X11 desktop (the CLIPBOARD selection). It holds at most
// one item whose types are the selection's targets. Reads ask the current owner
// synchronously, bounded by a timeout so that a dead owner cannot stall the agent;
// writes make a hidden window of ours the owner, which serves requests from a source
// on the main context. The change count grows with every ownership change that XFixes
// reports, ours included.
class X11Clipboard final : public platform::Pasteboard {
public:
    // Nothing when no X server with XFixes can be reached.
    static std::unique_ptr<X11Clipboard> connect(GMainContext* context, const std::string& displayName = {},
                                                 std::chrono::milliseconds readTimeout = std::chrono::seconds(1));
    ~X11Clipboard() override;

    std::optional<std::size_t> itemCount() override;
    std::vector<std::string> types(std::size_t item) override;
    std::optional<platform::Bytes> data(std::size_t item, const std::string& type) override;
    void clearContents() override;
    bool setPlainText(const std::string& text) override;
    std::int64_t changeCount() override;
    bool writeObjects(const std::vector<platform::PasteboardItem>& items) override;

private:
    struct OutgoingTransfer {
        Window requestor = None;
        Atom property = None;
        Atom type = None;
        platform::Bytes data;
        std::size_t offset = 0;
    };
    // What another owner offered, read once per change of ownership.
    struct ForeignTargets {
        std::int64_t changeCount = 0;
        std::optional<std::vector<Atom>> targets;
        bool unresponsive = false;
    };

    X11Clipboard(std::unique_ptr<XConnection> connection, int xfixesEventBase, GMainContext* context,
                 std::chrono::milliseconds readTimeout);

    void handle(XEvent& event);
    void catchUp();
    bool ownsSelection();
    bool takeOwnership(std::vector<std::pair<std::string, platform::Bytes>> offered);
    Time serverTime();

    void serveRequest(const XSelectionRequestEvent& request);
    bool answerTarget(Window requestor, Atom property, Atom target);
    void continueTransfer(Window requestor, Atom property);
    void dropTransfersTo(Window requestor);

    const std::vector<Atom>* foreignTargets();
    std::optional<platform::Bytes> convert(Atom target, Atom* type);
    std::optional<platform::Bytes> readIncrementally();
    bool waitForEvent(const std::function<bool(const XEvent&)>& matches, XEvent& found,
                      std::chrono::steady_clock::time_point deadline);
    bool isBookkeepingTarget(Atom target) const;

    std::unique_ptr<XConnection> connection_;
    int xfixesEventBase_;
    std::chrono::milliseconds readTimeout_;
    Window window_ = None;
    Atom clipboard_, targets_, timestamp_, multiple_, incr_, utf8String_, text_, transferProperty_;
    std::size_t chunkSize_ = 0;

    std::int64_t changeCount_ = 0;
    bool owning_ = false;
    Time ownershipTime_ = CurrentTime;
    std::vector<std::pair<std::string, platform::Bytes>> offered_;
    std::vector<OutgoingTransfer> transfers_;
    ForeignTargets foreign_;
    std::unique_ptr<XEventWatch> watch_;
};

}  // namespace quorvel::linux_backend
