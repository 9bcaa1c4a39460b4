#include "platform/linux/input/SpawnProcessLauncher.h"

#include <fcntl.h>
#include <glib.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <memory>
#include <utility>

extern char** environ;

namespace quorvel::linux_backend {
namespace {

class SpawnAttributes {
public:
    SpawnAttributes() { ok_ = ::posix_spawnattr_init(&attributes_) == 0; }
    ~SpawnAttributes()
    {
        if (ok_) ::posix_spawnattr_destroy(&attributes_);
    }
    SpawnAttributes(const SpawnAttributes&) = delete;
    SpawnAttributes& operator=(const SpawnAttributes&) = delete;

    // A session of its own, no blocked signal, and every signal at its default action (the
    // agent may ignore some, and ignored signals would survive the exec).
    bool configure()
    {
        sigset_t none;
        sigset_t all;
        sigemptyset(&none);
        sigfillset(&all);
        const short flags = POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
        return ok_ && ::posix_spawnattr_setflags(&attributes_, flags) == 0 &&
               ::posix_spawnattr_setsigmask(&attributes_, &none) == 0 &&
               ::posix_spawnattr_setsigdefault(&attributes_, &all) == 0;
    }
    const posix_spawnattr_t* get() const { return &attributes_; }

private:
    posix_spawnattr_t attributes_{};
    bool ok_ = false;
};

class SpawnFileActions {
public:
    SpawnFileActions() { ok_ = ::posix_spawn_file_actions_init(&actions_) == 0; }
    ~SpawnFileActions()
    {
        if (ok_) ::posix_spawn_file_actions_destroy(&actions_);
    }
    SpawnFileActions(const SpawnFileActions&) = delete;
    SpawnFileActions& operator=(const SpawnFileActions&) = delete;

    // Standard input from /dev/null; standard output and error stay the agent's (its log).
    // Every other descriptor is closed in the child. Our own descriptors are opened with
    // O_CLOEXEC anyway, but a library's might not be; where the C library cannot close a
    // range in posix_spawn (before glibc 2.34) we rely on O_CLOEXEC alone.
    bool configure()
    {
        if (!ok_ || ::posix_spawn_file_actions_addopen(&actions_, STDIN_FILENO, "/dev/null", O_RDONLY, 0) != 0) {
            return false;
        }
#ifdef QUORVEL_HAVE_SPAWN_CLOSEFROM
        if (::posix_spawn_file_actions_addclosefrom_np(&actions_, STDERR_FILENO + 1) != 0) return false;
#endif
        return true;
    }
    const posix_spawn_file_actions_t* get() const { return &actions_; }

private:
    posix_spawn_file_actions_t actions_{};
    bool ok_ = false;
};

struct ChildWatch {
    std::shared_ptr<std::set<pid_t>> children;
    platform::ProcessExitHandler onExit;
};

platform::ProcessExit processExit(int waitStatus)
{
    platform::ProcessExit exit;
    if (WIFEXITED(waitStatus)) exit.exitStatus = WEXITSTATUS(waitStatus);
    if (WIFSIGNALED(waitStatus)) {
        exit.signal = WTERMSIG(waitStatus);
        if (const char* abbreviation = ::sigabbrev_np(*exit.signal)) exit.signalName = std::string("SIG") + abbreviation;
    }
    return exit;
}

void childExited(GPid pid, gint waitStatus, gpointer data)
{
    // GLib has reaped the child with waitpid before calling us, on the main context.
    auto* watch = static_cast<ChildWatch*>(data);
    watch->children->erase(pid);
    g_spawn_close_pid(pid);
    if (watch->onExit) watch->onExit(processExit(waitStatus));
}

void freeChildWatch(gpointer data)
{
    const std::unique_ptr<ChildWatch> watch(static_cast<ChildWatch*>(data));
}

}  // namespace

SpawnProcessLauncher::SpawnProcessLauncher(std::filesystem::path shortcutsTool)
    : shortcutsTool_(std::move(shortcutsTool)), children_(std::make_shared<std::set<pid_t>>())
{
}

std::optional<std::string> SpawnProcessLauncher::launch(const std::string& executablePath,
                                                        const std::vector<std::string>& arguments,
                                                        platform::ProcessExitHandler onExit)
{
    // The system would end each argument at its first NUL: "a\0b" would run as "a".
    for (const std::string& argument : arguments) {
        if (argument.find('\0') != std::string::npos) return "an argument contains a NUL character";
    }
    if (executablePath.find('\0') != std::string::npos) return "the program's path contains a NUL character";
    const std::string executable =
        executablePath == referenceShortcutsTool ? shortcutsTool_.string() : executablePath;

    std::vector<std::string> argumentStorage;
    argumentStorage.reserve(arguments.size() + 1);
    argumentStorage.push_back(executable);
    argumentStorage.insert(argumentStorage.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& argument : argumentStorage) argv.push_back(argument.data());
    argv.push_back(nullptr);

    SpawnAttributes attributes;
    SpawnFileActions fileActions;
    if (!attributes.configure() || !fileActions.configure()) return "cannot prepare the process";

    pid_t pid = 0;
    if (const int error =
            ::posix_spawn(&pid, executable.c_str(), fileActions.get(), attributes.get(), argv.data(), environ)) {
        return executable + ": " + std::strerror(error);
    }
    children_->insert(pid);
    g_child_watch_add_full(G_PRIORITY_DEFAULT, pid, childExited,
                           std::make_unique<ChildWatch>(ChildWatch{children_, std::move(onExit)}).release(),
                           freeChildWatch);
    return std::nullopt;
}

}  // namespace quorvel::linux_backend
