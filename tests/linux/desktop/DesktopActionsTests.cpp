// Actions through the dispatcher and the desktop backends the agent picks: GIO on a temporary
// XDG tree, the X11 clipboard of an Xvfb session. Only the keyboard is recorded.
#include <gtest/gtest.h>

#include <linux/input-event-codes.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "helper/actions/ActionDispatcher.h"
#include "platform/linux/desktop/DesktopServices.h"
#include "platform/linux/input/ChordTranslator.h"
#include "tests/fakes/FakeAccessibility.h"
#include "tests/fakes/FakeAlertSound.h"
#include "tests/fakes/FakeEventTap.h"
#include "tests/fakes/FakeKeyboardInputSources.h"
#include "tests/fakes/FakeMainQueue.h"
#include "tests/fakes/FakePreferenceReader.h"
#include "tests/fakes/FakeProcessLauncher.h"
#include "tests/linux/desktop/HeadlessCompositor.h"
#include "tests/linux/desktop/WaylandTestWindows.h"
#include "tests/linux/desktop/TemporaryXdgTree.h"
#include "tests/linux/desktop/XvfbServer.h"

namespace quorvel::testing {
namespace {

namespace fs = std::filesystem;
using Kind = ActionKind;

// GIO reads the XDG directories once per process: the tree is in place before any test.
struct XdgTree : TemporaryXdgTree {
    XdgTree() : TemporaryXdgTree("actions")
    {
        // Writes its arguments after the first to the file the first one names.
        const std::string recorder = write("rec", "#!/bin/sh\nf=$1; shift\nprintf '%s' \"$*\" >\"$f.tmp\"; mv \"$f.tmp\" \"$f\"\n");
        ::chmod(recorder.c_str(), 0755);
        const std::string entry = "[Desktop Entry]\nType=Application\nExec=" + recorder + " ";
        write("usr/applications/org.example.Marker.desktop", entry + root + "/launched marker\nName=Quorvel Marker\n");
        write("home/applications/quorvel-url.desktop",
              entry + root + "/opened %u\nName=URL Recorder\nMimeType=x-scheme-handler/quorveltest;\n");
        write("home/mimeapps.list", "[Default Applications]\nx-scheme-handler/quorveltest=quorvel-url.desktop\n");
    }
};
const XdgTree tree;

class DesktopActionsTest : public XvfbTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server) << "Xvfb did not start";
        ::setenv("DISPLAY", server->displayName.c_str(), 1);
        desktop = linux_backend::connectDesktopServices(context, eventTap);
        ActionDispatcher::resetApplicationTrackingForTesting();
    }
    void run(Kind::Value kind)
    {
        const ActionServices services{*desktop.workspace, eventTap,          accessibility, *desktop.pasteboard,
                                      inputSources,       preferences,       launcher,      alertSound,
                                      *desktop.applicationBundles, mainQueue};
        ActionDispatcher::run(services, AssignedAction{{}, ActionKind{std::move(kind)}, true}, TrackpadGesture{});
    }
    // What a launched child wrote, once it has; the file is gone afterwards.
    static std::string takeFile(const std::string& path)
    {
        iterateUntil(g_main_context_default(), [&] { return fs::exists(path); }, std::chrono::seconds(10));
        std::ifstream in(path);
        std::string contents(std::istreambuf_iterator<char>(in), {});
        fs::remove(path);
        return contents;
    }
    // A shell command's output; the clipboard keeps serving requests meanwhile.
    std::string shell(const std::string& command)
    {
        const std::string out = tree.root + "/shell-output";
        const std::string line = "(DISPLAY=" + server->displayName + " " + command + " >" + out + ".tmp; mv " + out +
                                 ".tmp " + out + ") &";
        EXPECT_EQ(std::system(line.c_str()), 0);
        iterateUntil(context, [&] { return fs::exists(out); }, std::chrono::seconds(20));
        return takeFile(out);
    }

    linux_backend::DesktopServices desktop;
    FakeEventTap eventTap;
    FakeAccessibility accessibility;  // trusted
    FakeKeyboardInputSources inputSources;
    FakePreferenceReader preferences;
    FakeProcessLauncher launcher;
    FakeAlertSound alertSound;
    FakeMainQueue mainQueue;
};

TEST_F(DesktopActionsTest, ApplicationsLaunchByDesktopFileIdOrCatalogNameAndUrlsGoToTheSchemeHandler)
{
    run(Kind::OpenApp{"Another Name", "org.example.Marker"});  // the identifier wins
    EXPECT_EQ(takeFile(tree.root + "/launched"), "marker");
    run(Kind::OpenApp{"Quorvel Marker", std::nullopt});
    EXPECT_EQ(takeFile(tree.root + "/launched"), "marker");

    run(Kind::OpenURL{"  quorveltest://corner/top-left?tap=2\n"});
    EXPECT_EQ(takeFile(tree.root + "/opened"), "quorveltest://corner/top-left?tap=2");
    EXPECT_EQ(alertSound.beeps, 0);
}

TEST_F(DesktopActionsTest, SnippetIsPastedWithCtrlVThenTheOtherOwnersClipboardComesBack)
{
    // xclip owns the clipboard until it loses it to the snippet.
    const auto before = desktop.pasteboard->changeCount();
    EXPECT_EQ(shell("sh -c 'printf \"copied before\" | xclip -selection clipboard -i -quiet >/dev/null 2>&1 &'"), "");
    ASSERT_TRUE(iterateUntil(context, [&] { return desktop.pasteboard->changeCount() > before; }));

    run(Kind::TextSnippet{"Kind regards,\nQ \xE2\x9C\x93"});
    EXPECT_EQ(shell("xclip -o -selection clipboard"), "Kind regards,\nQ \xE2\x9C\x93");

    // The recorded chord is what the virtual keyboard would type.
    linux_backend::ChordTranslator translator;
    linux_backend::KeyTransitions typed;
    for (const auto& posted : eventTap.keyboardEvents) {
        const auto transitions = translator.translate(posted.event);
        ASSERT_TRUE(transitions);
        typed.insert(typed.end(), transitions->begin(), transitions->end());
    }
    EXPECT_EQ(typed, (linux_backend::KeyTransitions{
                         {KEY_LEFTCTRL, true}, {KEY_V, true}, {KEY_V, false}, {KEY_LEFTCTRL, false}}));

    mainQueue.advance(0.79);
    EXPECT_EQ(shell("xclip -o -selection clipboard"), "Kind regards,\nQ \xE2\x9C\x93");
    mainQueue.advance(0.01);
    EXPECT_EQ(shell("xclip -o -selection clipboard"), "copied before");
    EXPECT_EQ(alertSound.beeps, 0);
}

// sway offers data control and foreign-toplevel management: the agent uses both.
TEST_F(DesktopActionsTest, OnAWlrootsCompositorTheSnippetAndTheFrontApplicationComeFromIt)
{
    std::string whyNot;
    const auto compositor = HeadlessCompositor::start(whyNot);
    if (!compositor) GTEST_SKIP() << whyNot;
    ::setenv("WAYLAND_DISPLAY", compositor->displayName.c_str(), 1);
    desktop = linux_backend::connectDesktopServices(context, eventTap);
    ::unsetenv("WAYLAND_DISPLAY");
    const std::string wayland = compositor->environment() + " ";

    const auto before = desktop.pasteboard->changeCount();
    EXPECT_EQ(shell(wayland + "sh -c 'printf \"copied before\" | wl-copy'"), "");
    ASSERT_TRUE(iterateUntil(context, [&] { return desktop.pasteboard->changeCount() > before; }));
    run(Kind::TextSnippet{"Kind regards,\nQ"});
    EXPECT_EQ(shell(wayland + "wl-paste -n"), "Kind regards,\nQ");
    mainQueue.advance(0.8);
    EXPECT_EQ(shell(wayland + "wl-paste -n"), "copied before");
    EXPECT_EQ(alertSound.beeps, 0);

    const auto windows = WaylandTestWindows::connect(context, compositor->displayName);
    ASSERT_NE(windows, nullptr);
    windows->open("org.example.Marker");
    EXPECT_TRUE(iterateUntil(context, [&] {
        const auto front = desktop.workspace->frontmostApplication();
        return front && front->bundleIdentifier == "org.example.Marker";
    }));
}

}  // namespace
}  // namespace quorvel::testing
