#pragma once

#include <sys/types.h>
#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/configuration/TestSupport.h"

namespace quorvel::testing {

bool eventually(const std::function<bool()>& condition, std::chrono::milliseconds limit = std::chrono::seconds(20));

// Occurrences of `part` in `text`.
std::size_t countOf(const std::string& text, const std::string& part);

// A process started from the sandbox; killed and reaped if the test leaves it running.
class SandboxProcess {
public:
    SandboxProcess(pid_t pid, std::filesystem::path stem) : pid_(pid), stem_(std::move(stem)) {}
    ~SandboxProcess();
    SandboxProcess(const SandboxProcess&) = delete;
    SandboxProcess& operator=(const SandboxProcess&) = delete;

    pid_t pid() const { return pid_; }
    std::string output() const { return readText(stem_.string() + ".out"); }
    std::string errors() const { return readText(stem_.string() + ".err"); }
    void sendSignal(int signal) const { ::kill(pid_, signal); }
    // The exit status if it exited normally within `limit`.
    std::optional<int> waitForExit(std::chrono::milliseconds limit = std::chrono::seconds(20));

private:
    bool reap(int options);

    pid_t pid_;
    std::filesystem::path stem_;
    bool exited_ = false;
    int status_ = 0;
};

// A temporary install tree: copies (not links: the executables find the bridge from
// /proc/self/exe) of quorvel, quorvel-helper and quorvel-shortcuts in bin/, the scripted
// touchpad at the bridge's path, and XDG folders of its own.
class Sandbox {
public:
    Sandbox();

    std::filesystem::path path(const std::string& relative) const { return directory_.path / relative; }
    std::filesystem::path supportFolder() const { return path("config/Quorvel"); }
    std::filesystem::path configurationFile() const { return supportFolder() / "configuration.json"; }
    // Replaces the configuration in one step, so the agent never reads half a file.
    void writeConfiguration(const std::string& json) const;
    // A shortcut that appends a line to its own output file each time it runs, then runs the
    // shell commands `then` (with $OUT naming that file).
    void addShortcut(const std::string& name, const std::string& then = "") const;
    int runsOf(const std::string& name) const;
    std::string shortcutOutput(const std::string& name) const { return readText(path("out/" + name)); }

    // Runs bin/`executable` with no display or buses, and `environment` before the sandbox's; its output and
    // errors are kept, or with `closedStandardStreams` it starts without descriptors 0 to 2.
    std::unique_ptr<SandboxProcess> start(const std::string& executable, std::vector<std::string> arguments = {},
                                          const std::vector<std::string>& environment = {},
                                          bool closedStandardStreams = false);
    // Runs bin/quorvel to its end, expecting exit `status`: its output and errors together.
    std::string quorvel(const std::vector<std::string>& arguments, int status,
                        const std::vector<std::string>& environment = {});
    // The agent, once its touchpad started, running on a top-left double tap the shortcut made
    // by addShortcut(shortcut, then).
    std::unique_ptr<SandboxProcess> startAgentRunning(const std::string& shortcut, const std::string& then = "",
                                                      const std::vector<std::string>& environment = {});

    bool touchpadStarted() const { return std::filesystem::exists(path("touchpad/started")); }
    // Has the touchpad play its script once more (see ScriptedTouchpad.cpp).
    void playScript() { writeFile(path("touchpad/play-" + std::to_string(++plays_)), "play\n"); }

private:
    TemporaryDirectory directory_;
    int started_ = 0;
    int plays_ = 0;
};

// Runs the shortcut `name` on a double tap in the top-left corner (see documentWithKind).
std::string configurationRunningShortcut(const std::string& name);

}  // namespace quorvel::testing
