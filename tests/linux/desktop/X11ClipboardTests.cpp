// The X11 clipboard under Xvfb: what another owner offers, what we serve to other
// clients, and the change count that guards the restore of a pasted snippet.
#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include "platform/linux/desktop/X11Clipboard.h"
#include "tests/linux/desktop/DisplayServers.h"

namespace quorvel::linux_backend {
namespace {

using platform::Bytes;
using Offer = std::vector<std::pair<std::string, std::string>>;

const bool threadsInitialised = XInitThreads() != 0;  // owners answer from their own threads

using testing::bytes;

// Another application holding the clipboard, answering (or not) from its own thread.
struct ForeignOwner {
    ForeignOwner(const std::string& displayName, Offer offered, bool answers = true)
        : display_(XOpenDisplay(displayName.c_str())), offered_(std::move(offered)), answers_(answers)
    {
        const Window window = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 1, 1, 0, 0, 0);
        XSetSelectionOwner(display_, atom("CLIPBOARD"), window, CurrentTime);
        XSync(display_, False);
        thread_ = std::thread([this] { serve(); });
    }
    ~ForeignOwner()
    {
        stop_ = true;
        thread_.join();
        XCloseDisplay(display_);
    }
    Atom atom(const std::string& name) { return XInternAtom(display_, name.c_str(), False); }
    void serve()
    {
        pollfd descriptor{ConnectionNumber(display_), POLLIN, 0};
        for (XEvent event; !stop_; ::poll(&descriptor, 1, 20)) {
            while (XPending(display_) > 0) {
                XNextEvent(display_, &event);
                if (event.type == SelectionRequest && answers_) answer(event.xselectionrequest);
            }
        }
    }
    void answer(const XSelectionRequestEvent& request)
    {
        XEvent reply{};
        reply.xselection = {SelectionNotify, 0, True, display_, request.requestor, request.selection,
                            request.target, None, request.time};
        const auto put = [&](Atom type, int format, const void* data, std::size_t count) {
            XChangeProperty(display_, request.requestor, request.property, type, format, PropModeReplace,
                            static_cast<const unsigned char*>(data), static_cast<int>(count));
            reply.xselection.property = request.property;
        };
        std::vector<long> targets = {static_cast<long>(atom("TARGETS"))};
        for (const auto& [type, data] : offered_) {
            targets.push_back(static_cast<long>(atom(type)));
            if (request.target == atom(type)) put(request.target, 8, data.data(), data.size());
        }
        if (request.target == atom("TARGETS")) put(XA_ATOM, 32, targets.data(), targets.size());
        XSendEvent(display_, request.requestor, False, NoEventMask, &reply);
        XFlush(display_);
    }

    Display* display_;
    Offer offered_;
    bool answers_;
    std::atomic<bool> stop_ = false;
    std::thread thread_;
};

class X11ClipboardTest : public testing::XvfbTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(threadsInitialised && server) << "Xvfb did not start";
        clipboard = X11Clipboard::connect(context, server->displayName, std::chrono::milliseconds(300));
        ASSERT_NE(clipboard, nullptr);
    }
    ForeignOwner owner(Offer offer, bool answers = true) { return {server->displayName, std::move(offer), answers}; }

    // What xclip, another client, prints; our side keeps serving the selection meanwhile.
    std::string xclip(const std::string& arguments)
    {
        return testing::outputOf(context, server->environment() + " xclip -selection clipboard " + arguments);
    }

    // Every type and its data, as the snippet paste saves them.
    platform::PasteboardItem save()
    {
        platform::PasteboardItem item;
        for (const std::string& type : clipboard->types(0)) {
            if (auto data = clipboard->data(0, type)) item.setData(type, std::move(*data));
        }
        return item;
    }

    std::unique_ptr<X11Clipboard> clipboard;
};

// The snippet paste: save what another owner offers, paste ours, put theirs back.
TEST_F(X11ClipboardTest, AnotherOwnersTypesAreSavedAndServedBackAfterASnippet)
{
    const std::int64_t start = clipboard->changeCount();
    platform::PasteboardItem saved;
    std::int64_t theirsTaken = 0;
    {
        const ForeignOwner theirs = owner({{"text/html", "<i>mine</i>"}, {"UTF8_STRING", "mine"}});
        ASSERT_TRUE(testing::iterateUntil(context, [&] { return clipboard->changeCount() > start; }));
        theirsTaken = clipboard->changeCount();
        EXPECT_EQ(clipboard->itemCount(), 1u);
        EXPECT_TRUE(clipboard->types(1).empty());
        EXPECT_EQ(clipboard->data(0, "image/png"), std::nullopt);
        saved = save();
        EXPECT_EQ(saved.dataByType, (std::vector<std::pair<std::string, Bytes>>{{"text/html", bytes("<i>mine</i>")},
                                                                                {"UTF8_STRING", bytes("mine")}}));
        ASSERT_TRUE(clipboard->setPlainText("snippet \xE2\x9C\x93"));
        EXPECT_EQ(clipboard->changeCount(), theirsTaken + 1) << "reading changes nothing, writing does";
    }
    EXPECT_EQ(xclip("-o -t UTF8_STRING"), "snippet \xE2\x9C\x93");
    const std::string targets = xclip("-o -t TARGETS");
    EXPECT_NE(targets.find("text/plain;charset=utf-8"), std::string::npos) << targets;
    EXPECT_EQ(targets.find("\nSTRING\n"), std::string::npos) << "non-ASCII text is no Latin-1 STRING";

    clipboard->clearContents();
    EXPECT_EQ(clipboard->itemCount(), 0u);
    ASSERT_TRUE(clipboard->writeObjects({saved}));
    EXPECT_EQ(clipboard->changeCount(), theirsTaken + 3);
    EXPECT_EQ(xclip("-o -t text/html"), "<i>mine</i>");
    EXPECT_EQ(xclip("-o -t UTF8_STRING"), "mine");
    EXPECT_EQ(save(), saved);
}

TEST_F(X11ClipboardTest, AnOwnerThatDoesNotAnswerYieldsNothingWithinTheTimeout)
{
    const ForeignOwner silent = owner({{"UTF8_STRING", "never sent"}}, false);
    EXPECT_EQ(clipboard->itemCount(), std::nullopt);
    EXPECT_TRUE(clipboard->types(0).empty());
    EXPECT_EQ(clipboard->data(0, "UTF8_STRING"), std::nullopt);
}

TEST_F(X11ClipboardTest, LargeDataIsServedIncrementally)
{
    const Bytes large = testing::randomBytes(3 * 1024 * 1024 + 17, 7);
    platform::PasteboardItem item;
    item.setData("image/png", large);
    ASSERT_TRUE(clipboard->writeObjects({item}));
    const std::string served = xclip("-o -t image/png");
    EXPECT_TRUE(bytes(served) == large) << "served " << served.size() << " of " << large.size() << " bytes";
}

}  // namespace
}  // namespace quorvel::linux_backend
