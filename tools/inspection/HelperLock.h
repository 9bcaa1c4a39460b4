#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace quorvel::inspection {

// Whether a process holds a lock on the agent's lock file, read from the kernel's table of
// locks rather than by trying the lock (a try that wins for a moment would make an agent
// starting just then refuse).
struct LockHolder {
    enum class State { held, free, cannotTell };
    State state = State::cannotTell;
    std::optional<long> pid;  // of the holder, when the table gives it
    std::string why;          // for cannotTell

    friend bool operator==(const LockHolder&, const LockHolder&) = default;
};

LockHolder lockHolder(const std::filesystem::path& lockFile,
                      const std::filesystem::path& lockTable = "/proc/locks");

}  // namespace quorvel::inspection
