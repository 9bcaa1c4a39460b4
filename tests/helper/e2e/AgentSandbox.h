#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace quorvel::testing {

// Polls `condition` every few milliseconds until it holds or `limit` has passed.
bool eventually(const std::function<bool()>& condition, std::chrono::milliseconds limit = std::chrono::seconds(20));

// One run of the real agent executable in the sandbox; killed and reaped if the test
// leaves it running.
class AgentProcess {
public:
    AgentProcess(pid_t pid, std::filesystem::path logFile) : pid_(pid), logFile_(std::move(logFile)) {}
    ~AgentProcess();
    AgentProcess(const AgentProcess&) = delete;
    AgentProcess& operator=(const AgentProcess&) = delete;

    // What the agent wrote on stderr so far.
    std::string log() const;
    bool isRunning();
    void sendSignal(int signal) const;
    // The exit status once the process has exited normally within `limit`; nothing if it
    // is still running then or ended by a signal.
    std::optional<int> waitForExit(std::chrono::milliseconds limit = std::chrono::seconds(20));

private:
    bool reap(int options);

    pid_t pid_;
    std::filesystem::path logFile_;
    bool exited_ = false;
    int status_ = 0;
};

// A temporary home for the agent: copies of the agent and the shortcuts tool in bin/, the
// scripted touchpad library where the agent looks for its bridge (../lib/quorvel/), and
// XDG folders of its own. The agent runs without a display, a session bus or uinput.
class AgentSandbox {
public:
    AgentSandbox();
    ~AgentSandbox();
    AgentSandbox(const AgentSandbox&) = delete;
    AgentSandbox& operator=(const AgentSandbox&) = delete;

    std::filesystem::path supportDirectory() const { return root_ / "config" / "Quorvel"; }

    // Replaces configuration.json in one step, so the agent never reads half a file.
    void writeConfiguration(const std::string& json) const;
    // A shortcut that appends a line to its own output file each time it runs.
    void addShortcut(const std::string& name) const;
    // How many times the shortcut has run (lines in its output file).
    int runsOf(const std::string& name) const;

    std::unique_ptr<AgentProcess> startAgent();

    // The touchpad's device has been started by the agent.
    bool touchpadStarted() const;
    // Asks the touchpad for its next double tap in the top-left corner.
    void requestDoubleTap();

private:
    std::filesystem::path root_;
    int agentsStarted_ = 0;
    int tapsRequested_ = 0;
};

// A configuration that runs the shortcut `name` on a double tap in the top-left corner.
std::string configurationRunningShortcut(const std::string& name);

}  // namespace quorvel::testing
