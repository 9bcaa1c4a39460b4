// The X11 clipboard under Xvfb: reading what another owner offers (all types, large
// data, owners that do not answer), serving what we write to other clients, and the
// change count that guards the restore of a pasted snippet.
#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>

#include "platform/linux/desktop/X11Clipboard.h"
#include "tests/linux/desktop/XvfbServer.h"

namespace quorvel::linux_backend {
namespace {

namespace fs = std::filesystem;
using platform::Bytes;

// The owner threads below use their own connections.
const bool threadsInitialised = XInitThreads() != 0;

Bytes bytes(const std::string& text)
{
    return Bytes(text.begin(), text.end());
}

// Another application holding the clipboard, answering from its own thread.
class ForeignSelectionOwner {
public:
    ForeignSelectionOwner(const std::string& displayName, std::vector<std::pair<std::string, std::string>> offered,
                          bool answers = true)
        : display_(XOpenDisplay(displayName.c_str())), offered_(std::move(offered)), answers_(answers)
    {
        window_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 1, 1, 0, 0, 0);
        XSetSelectionOwner(display_, atom("CLIPBOARD"), window_, CurrentTime);
        XSync(display_, False);
        if (::pipe2(stop_, O_CLOEXEC) == 0) {
            thread_ = std::thread([this] { serve(); });
        }
    }
    ~ForeignSelectionOwner()
    {
        if (thread_.joinable()) {
            [[maybe_unused]] const ssize_t written = ::write(stop_[1], "x", 1);
            thread_.join();
        }
        ::close(stop_[0]);
        ::close(stop_[1]);
        XCloseDisplay(display_);
    }

private:
    Atom atom(const char* name) { return XInternAtom(display_, name, False); }

    void serve()
    {
        pollfd descriptors[2] = {{ConnectionNumber(display_), POLLIN, 0}, {stop_[0], POLLIN, 0}};
        for (;;) {
            while (XPending(display_) > 0) {
                XEvent event;
                XNextEvent(display_, &event);
                if (event.type == SelectionRequest && answers_) {
                    answer(event.xselectionrequest);
                }
            }
            ::poll(descriptors, 2, -1);
            if (descriptors[1].revents != 0) {
                return;
            }
        }
    }

    void answer(const XSelectionRequestEvent& request)
    {
        XEvent reply{};
        reply.xselection = {SelectionNotify, 0, True, display_, request.requestor, request.selection,
                            request.target, None, request.time};
        if (request.target == atom("TARGETS")) {
            std::vector<long> atoms = {static_cast<long>(atom("TARGETS"))};
            for (const auto& entry : offered_) {
                atoms.push_back(static_cast<long>(atom(entry.first.c_str())));
            }
            XChangeProperty(display_, request.requestor, request.property, XA_ATOM, 32, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(atoms.data()), static_cast<int>(atoms.size()));
            reply.xselection.property = request.property;
        }
        for (const auto& entry : offered_) {
            if (request.target == atom(entry.first.c_str())) {
                XChangeProperty(display_, request.requestor, request.property, request.target, 8, PropModeReplace,
                                reinterpret_cast<const unsigned char*>(entry.second.data()),
                                static_cast<int>(entry.second.size()));
                reply.xselection.property = request.property;
            }
        }
        XSendEvent(display_, request.requestor, False, NoEventMask, &reply);
        XFlush(display_);
    }

    Display* display_;
    Window window_ = None;
    std::vector<std::pair<std::string, std::string>> offered_;
    bool answers_;
    int stop_[2] = {-1, -1};
    std::thread thread_;
};

class X11ClipboardTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { server_ = testing::XvfbServer::start(); }
    static void TearDownTestSuite() { server_.reset(); }
    void SetUp() override
    {
        ASSERT_TRUE(threadsInitialised);
        if (!server_) {
            GTEST_SKIP() << "Xvfb is not available";
        }
        context_ = g_main_context_new();
        clipboard_ = X11Clipboard::connect(context_, server_->displayName(), std::chrono::milliseconds(300));
        ASSERT_NE(clipboard_, nullptr);
    }
    void TearDown() override
    {
        clipboard_.reset();
        if (context_ != nullptr) {
            g_main_context_unref(context_);
        }
    }

    // Runs a command (another X client) while our side keeps serving the selection.
    std::string runWhileServing(const std::string& command)
    {
        std::atomic<bool> done = false;
        std::string output;
        std::thread runner([&] {
            const std::string line = "DISPLAY=" + server_->displayName() + " " + command;
            if (FILE* pipe = ::popen(line.c_str(), "r")) {
                char buffer[65536];
                std::size_t length = 0;
                while ((length = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
                    output.append(buffer, length);
                }
                ::pclose(pipe);
            }
            done = true;
        });
        testing::iterateUntil(context_, [&] { return done.load(); }, std::chrono::seconds(20));
        runner.join();
        return output;
    }

    // Every type and its data, as the snippet paste saves them.
    platform::PasteboardItem save()
    {
        platform::PasteboardItem item;
        if (clipboard_->itemCount().value_or(0) == 1) {
            for (const std::string& type : clipboard_->types(0)) {
                if (auto data = clipboard_->data(0, type)) {
                    item.setData(type, std::move(*data));
                }
            }
        }
        return item;
    }

    static std::unique_ptr<testing::XvfbServer> server_;
    GMainContext* context_ = nullptr;
    std::unique_ptr<X11Clipboard> clipboard_;
};
std::unique_ptr<testing::XvfbServer> X11ClipboardTest::server_;

TEST_F(X11ClipboardTest, ReadsEveryTypeAnotherOwnerOffers)
{
    ForeignSelectionOwner owner(server_->displayName(), {{"text/html", "<b>copied</b>"}, {"UTF8_STRING", "copied"}});
    EXPECT_EQ(clipboard_->itemCount(), 1u);
    EXPECT_EQ(clipboard_->types(0), (std::vector<std::string>{"text/html", "UTF8_STRING"}));
    EXPECT_EQ(clipboard_->data(0, "text/html"), bytes("<b>copied</b>"));
    EXPECT_EQ(clipboard_->data(0, "UTF8_STRING"), bytes("copied"));
    EXPECT_EQ(clipboard_->data(0, "image/png"), std::nullopt);
    EXPECT_TRUE(clipboard_->types(1).empty());
}

TEST_F(X11ClipboardTest, AnOwnerThatDoesNotAnswerYieldsNothing)
{
    ForeignSelectionOwner owner(server_->displayName(), {{"UTF8_STRING", "never sent"}}, false);
    EXPECT_EQ(clipboard_->itemCount(), std::nullopt);
    EXPECT_TRUE(clipboard_->types(0).empty());
    EXPECT_EQ(clipboard_->data(0, "UTF8_STRING"), std::nullopt);
}

TEST_F(X11ClipboardTest, WrittenTextIsServedToOtherClients)
{
    ASSERT_TRUE(clipboard_->setPlainText("snippet \xE2\x9C\x93 ok"));
    EXPECT_EQ(runWhileServing("xclip -o -selection clipboard -t UTF8_STRING"), "snippet \xE2\x9C\x93 ok");
    const std::string targets = runWhileServing("xclip -o -selection clipboard -t TARGETS");
    EXPECT_NE(targets.find("UTF8_STRING"), std::string::npos) << targets;
    EXPECT_NE(targets.find("text/plain;charset=utf-8"), std::string::npos) << targets;
    EXPECT_EQ(targets.find("\nSTRING\n"), std::string::npos) << "non-ASCII text is no Latin-1 STRING";
    EXPECT_EQ(clipboard_->data(0, "UTF8_STRING"), bytes("snippet \xE2\x9C\x93 ok"));
}

TEST_F(X11ClipboardTest, SavedTypesComeBackAfterASnippet)
{
    platform::PasteboardItem saved;
    {
        ForeignSelectionOwner owner(server_->displayName(), {{"text/html", "<i>mine</i>"}, {"UTF8_STRING", "mine"}});
        saved = save();
        ASSERT_TRUE(clipboard_->setPlainText("snippet"));
    }
    EXPECT_EQ(runWhileServing("xclip -o -selection clipboard -t UTF8_STRING"), "snippet");

    clipboard_->clearContents();
    ASSERT_TRUE(clipboard_->writeObjects({saved}));
    EXPECT_EQ(runWhileServing("xclip -o -selection clipboard -t text/html"), "<i>mine</i>");
    EXPECT_EQ(runWhileServing("xclip -o -selection clipboard -t UTF8_STRING"), "mine");
    EXPECT_EQ(save(), saved);
}

TEST_F(X11ClipboardTest, LargeDataTravelsIncrementallyBothWays)
{
    Bytes large(3 * 1024 * 1024 + 17);
    std::mt19937 random(7);
    for (auto& byte : large) {
        byte = static_cast<std::uint8_t>(random());
    }
    platform::PasteboardItem item;
    item.setData("image/png", large);
    ASSERT_TRUE(clipboard_->writeObjects({item}));
    const std::string served = runWhileServing("xclip -o -selection clipboard -t image/png");
    EXPECT_TRUE(bytes(served) == large) << "served " << served.size() << " of " << large.size() << " bytes";

    // xclip as the owner of the same data: our reader assembles the chunks.
    const fs::path file = fs::temp_directory_path() / ("quorvel-large-" + std::to_string(::getpid()));
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(large.data()),
                                                static_cast<std::streamsize>(large.size()));
    const std::int64_t before = clipboard_->changeCount();
    runWhileServing("xclip -selection clipboard -t image/png -i " + file.string() + " >/dev/null 2>&1");
    ASSERT_TRUE(testing::iterateUntil(context_, [&] { return clipboard_->changeCount() > before; }));
    EXPECT_EQ(clipboard_->data(0, "image/png"), large);
    clipboard_->clearContents();  // ends the xclip owner
    fs::remove(file);
}

TEST_F(X11ClipboardTest, ChangeCountGrowsWithEveryWriteOursAndOthers)
{
    const std::int64_t start = clipboard_->changeCount();
    clipboard_->clearContents();
    EXPECT_EQ(clipboard_->changeCount(), start + 1);
    EXPECT_EQ(clipboard_->itemCount(), 0u);
    ASSERT_TRUE(clipboard_->setPlainText("x"));
    EXPECT_EQ(clipboard_->changeCount(), start + 2);
    save();  // reading changes nothing
    EXPECT_EQ(clipboard_->changeCount(), start + 2);

    ForeignSelectionOwner owner(server_->displayName(), {{"UTF8_STRING", "theirs"}});
    ASSERT_TRUE(testing::iterateUntil(context_, [&] { return clipboard_->changeCount() > start + 2; }));
    EXPECT_EQ(clipboard_->data(0, "UTF8_STRING"), bytes("theirs"));
}

}  // namespace
}  // namespace quorvel::linux_backend
