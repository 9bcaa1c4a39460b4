#pragma once

#include <sys/types.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/ProcessLauncher.h"

namespace quorvel::linux_backend {

// Starts programs with posix_spawn: an argument vector and no shell (an argument with a NUL
// character is refused, since the system would cut it short there), standard input from
// /dev/null, no descriptor of the agent beyond standard output and error, default signal
// handling, and a session of its own so the child neither shares the agent's process group
// nor ends with it. Each child is reaped by a GLib child watch on the default main context
// as soon as it exits, so none is left a zombie while the agent runs; the watch then tells
// the caller how it ended.
//
// The reference platform's shortcuts tool, "/usr/bin/shortcuts", is our own shortcuts tool;
// any other path is started as given.
class SpawnProcessLauncher final : public platform::ProcessLauncher {
public:
    static constexpr const char* referenceShortcutsTool = "/usr/bin/shortcuts";

    explicit SpawnProcessLauncher(std::filesystem::path shortcutsTool);

    std::optional<std::string> launch(const std::string& executablePath, const std::vector<std::string>& arguments,
                                      platform::ProcessExitHandler onExit = {}) override;

    // Children started and not reaped yet.
    std::set<pid_t> unreapedChildren() const { return *children_; }

private:
    std::filesystem::path shortcutsTool_;
    std::shared_ptr<std::set<pid_t>> children_;  // shared with the child watches
};

}  // namespace quorvel::linux_backend
