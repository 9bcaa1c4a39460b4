// `quorvel-shortcuts`: runs the user's shortcuts, the executables in the "shortcuts" folder
// of the agent's support directory. The agent starts it as `quorvel-shortcuts run NAME`.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tools/shortcuts/ShortcutsFolder.h"

namespace {

using namespace quorvel::shortcuts;

constexpr int usageError = 2;

void printHelp(std::FILE* out)
{
    std::fprintf(out,
                 "Usage: quorvel-shortcuts run NAME\n"
                 "       quorvel-shortcuts list\n"
                 "\n"
                 "Runs the user's shortcuts for the Quorvel touchpad corner agent. A shortcut is an\n"
                 "executable file in %s;\n"
                 "its file name is the shortcut's name. It is started directly, without a shell and\n"
                 "without arguments.\n"
                 "\n"
                 "Commands:\n"
                 "  run NAME   run the shortcut NAME\n"
                 "  list       list the shortcuts that can be run\n",
                 shortcutsFolder().c_str());
}

int run(const std::string& name)
{
    if (const auto refusal = nameRefusal(name)) {
        std::fprintf(stderr, "quorvel-shortcuts: %s\n", refusal->c_str());
        return usageError;
    }
    const std::filesystem::path folder = shortcutsFolder();
    const std::filesystem::path file = folder / name;
    switch (shortcutState(file)) {
    case ShortcutState::missing:
        std::fprintf(stderr, "quorvel-shortcuts: no shortcut named \"%s\" in %s\n", name.c_str(), folder.c_str());
        return 1;
    case ShortcutState::notExecutable:
        std::fprintf(stderr, "quorvel-shortcuts: the shortcut \"%s\" is not an executable file: %s\n", name.c_str(),
                     file.c_str());
        return 1;
    case ShortcutState::runnable:
        break;
    }
    std::string path = file.string();
    char* const argv[] = {path.data(), nullptr};
    ::execv(path.c_str(), argv);
    std::fprintf(stderr, "quorvel-shortcuts: cannot run the shortcut \"%s\": %s\n", name.c_str(), std::strerror(errno));
    return 1;
}

int list()
{
    for (const std::string& name : runnableShortcuts(shortcutsFolder())) std::printf("%s\n", name.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    if (arguments.size() == 1 && (arguments[0] == "--help" || arguments[0] == "-h")) {
        printHelp(stdout);
        return 0;
    }
    if (arguments.size() == 2 && arguments[0] == "run") return run(arguments[1]);
    if (arguments.size() == 1 && arguments[0] == "list") return list();
    printHelp(stderr);
    return usageError;
}
