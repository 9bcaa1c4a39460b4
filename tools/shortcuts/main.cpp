// `quorvel-shortcuts`: runs the user's shortcuts, the executables in the "shortcuts" folder
// of the agent's support directory. The agent starts it as `quorvel-shortcuts run NAME`.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/PrintableText.h"
#include "tools/CommandLine.h"
#include "tools/shortcuts/ShortcutSafety.h"
#include "tools/shortcuts/ShortcutsFolder.h"

namespace {

using namespace quorvel::shortcuts;
namespace tool = quorvel::tool;

constexpr const char* programName = "quorvel-shortcuts";

std::string usage()
{
    const std::string folder = quorvel::platform::escapedForDisplay(shortcutsFolder().string());
    return "Usage: quorvel-shortcuts run NAME\n"
           "       quorvel-shortcuts list\n"
           "\n"
           "Runs the user's shortcuts for the Quorvel touchpad corner agent. A shortcut is an\n"
           "executable file in " + folder + ";\n"
           "its file name is the shortcut's name (not starting with \".\", without \"/\", and none of\n"
           "--help, -h and --version). A symbolic link there is followed: the file it leads to is run.\n"
           "\n"
           "A shortcut is started directly, without a shell and without arguments, in your home\n"
           "folder (\"/\" when there is none), with the environment of whoever started this tool: for\n"
           "the agent, that of your session as the service manager gives it (DISPLAY, WAYLAND_DISPLAY,\n"
           "DBUS_SESSION_BUS_ADDRESS, PATH, ...). Its input is empty and its output goes where the\n"
           "agent's goes (the journal).\n"
           "\n"
           "As ssh does with its keys, a shortcut is refused when the file, the shortcuts folder or\n"
           "the folder above it belongs to another user than you or root, or can be changed by\n"
           "other users (writable by group or others).\n"
           "\n"
           "Commands:\n"
           "  run NAME   run the shortcut NAME\n"
           "  list       list the shortcuts that can be run\n"
           "\n"
           "Exit status: that of the shortcut; 1 when it cannot be run, 2 for a wrong command line.\n";
}

// The first reason not to run anything from the shortcuts folder: it, or the folder above it.
std::optional<std::string> folderRefusal(const std::filesystem::path& folder)
{
    if (auto reason = untrustworthy(folder.parent_path())) return reason;
    return untrustworthy(folder);
}

void complain(const std::string& message)
{
    std::fprintf(stderr, "quorvel-shortcuts: %s\n", quorvel::platform::escapedForDisplay(message).c_str());
}

int run(const std::string& name)
{
    const std::string shown = quorvel::platform::quotedForDisplay(name);
    if (const auto refused = nameRefusal(name)) {
        complain(*refused);
        return tool::exitUsage;
    }
    const std::filesystem::path folder = shortcutsFolder();
    const std::filesystem::path file = folder / name;
    switch (shortcutState(file)) {
    case ShortcutState::missing:
        complain("no shortcut named " + shown + " in " + folder.string());
        return tool::exitFailure;
    case ShortcutState::notExecutable:
        complain("the shortcut " + shown + " is not an executable file: " + file.string());
        return tool::exitFailure;
    case ShortcutState::runnable:
        break;
    }
    if (auto reason = folderRefusal(folder); reason || (reason = untrustworthy(file))) {
        complain("not running the shortcut " + shown + ": " + *reason);
        return tool::exitFailure;
    }
    if (::chdir(shortcutWorkingDirectory().c_str()) != 0 && ::chdir("/") != 0) {
        complain(std::string("cannot enter a working folder: ") + std::strerror(errno));
        return tool::exitFailure;
    }
    std::string path = file.string();
    char* const argv[] = {path.data(), nullptr};
    ::execv(path.c_str(), argv);
    complain("cannot run the shortcut " + shown + ": " + std::strerror(errno));
    return tool::exitFailure;
}

int list()
{
    const std::filesystem::path folder = shortcutsFolder();
    if (const auto reason = folderRefusal(folder)) {
        complain(*reason);
        return tool::exitFailure;
    }
    for (const std::string& name : runnableShortcuts(folder)) {
        if (const auto reason = untrustworthy(folder / name)) {
            complain("not listed: " + *reason);
        } else {
            std::printf("%s\n", quorvel::platform::escapedForDisplay(name).c_str());
        }
    }
    return tool::exitSuccess;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    // An option alone, or as the one argument of a command: a shortcut cannot be named --help.
    if (arguments.size() == 1 || (arguments.size() == 2 && (arguments[0] == "run" || arguments[0] == "list"))) {
        const std::vector<std::string> last{arguments.back()};
        if (const auto answered = tool::answerHelpOrVersion(last, programName, usage().c_str())) return *answered;
    }
    if (arguments.size() == 2 && arguments[0] == "run") return run(arguments[1]);
    if (arguments.size() == 1 && arguments[0] == "list") return list();
    std::fputs(usage().c_str(), stderr);
    return tool::exitUsage;
}
