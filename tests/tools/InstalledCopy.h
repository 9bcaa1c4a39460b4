#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quorvel::testing {

// Polls `condition` every few milliseconds until it holds or `limit` has passed.
bool eventually(const std::function<bool()>& condition, std::chrono::milliseconds limit = std::chrono::seconds(20));

// A process started from an installed copy; killed and reaped if the test leaves it running.
class CopiedProcess {
public:
    CopiedProcess(pid_t pid, std::filesystem::path outputFile, std::filesystem::path errorFile);
    ~CopiedProcess();
    CopiedProcess(const CopiedProcess&) = delete;
    CopiedProcess& operator=(const CopiedProcess&) = delete;

    // What it wrote on stdout and on stderr so far.
    std::string output() const;
    std::string errors() const;
    void sendSignal(int signal) const;
    // The exit status once it has exited normally within `limit`; nothing if it is still
    // running then or was ended by a signal.
    std::optional<int> waitForExit(std::chrono::milliseconds limit = std::chrono::seconds(20));

private:
    pid_t pid_;
    std::filesystem::path outputFile_;
    std::filesystem::path errorFile_;
    bool exited_ = false;
    int status_ = 0;
};

// A temporary install tree: copies of `quorvel` and `quorvel-helper` in bin/, the scripted
// bridge where both look for the multitouch bridge, and XDG folders of its own. Copies, not
// links: the executables find the bridge from /proc/self/exe, which resolves links.
class InstalledCopy {
public:
    InstalledCopy();
    ~InstalledCopy();
    InstalledCopy(const InstalledCopy&) = delete;
    InstalledCopy& operator=(const InstalledCopy&) = delete;

    std::filesystem::path root() const { return root_; }
    // The agent's configuration file in this tree.
    std::filesystem::path agentConfigurationFile() const;
    void writeFile(const std::filesystem::path& path, const std::string& text) const;
    void removeBridge() const;

    // Runs bin/`executable` with a bare environment (no display, no buses) plus `environment`.
    std::unique_ptr<CopiedProcess> start(const std::string& executable, const std::vector<std::string>& arguments,
                                         const std::vector<std::string>& environment = {});

private:
    std::filesystem::path root_;
    int started_ = 0;
};

}  // namespace quorvel::testing
