#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quorvel::platform {

// How a child process ended: with an exit status, or killed by a signal.
struct ProcessExit {
    std::optional<int> exitStatus;  // it exited with this status
    std::optional<int> signal;      // a signal ended it
    std::string signalName;         // that signal's name ("SIGKILL"), when known

    friend bool operator==(const ProcessExit&, const ProcessExit&) = default;
};

using ProcessExitHandler = std::function<void(const ProcessExit&)>;

// Starts a child process without a shell and without waiting for it.
class ProcessLauncher {
public:
    virtual ~ProcessLauncher() = default;
    // Nothing when the process started, else why it could not be started. `onExit`, when
    // given, is called on the main thread once the process has ended and has been reaped.
    virtual std::optional<std::string> launch(const std::string& executablePath,
                                              const std::vector<std::string>& arguments,
                                              ProcessExitHandler onExit = {}) = 0;
};

}  // namespace quorvel::platform
