#include "tests/helper/e2e/AgentSandbox.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <vector>

namespace quorvel::testing {

namespace fs = std::filesystem;

bool eventually(const std::function<bool()>& condition, std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

AgentProcess::~AgentProcess()
{
    if (exited_) return;
    ::kill(pid_, SIGKILL);
    reap(0);
}

std::string AgentProcess::log() const
{
    std::ifstream in(logFile_);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

bool AgentProcess::reap(int options)
{
    if (exited_) return true;
    int status = 0;
    if (::waitpid(pid_, &status, options) != pid_) return false;
    exited_ = true;
    status_ = status;
    return true;
}

bool AgentProcess::isRunning() { return !reap(WNOHANG); }

void AgentProcess::sendSignal(int signal) const { ::kill(pid_, signal); }

std::optional<int> AgentProcess::waitForExit(std::chrono::milliseconds limit)
{
    if (!eventually([this] { return reap(WNOHANG); }, limit)) return std::nullopt;
    if (!WIFEXITED(status_)) return std::nullopt;
    return WEXITSTATUS(status_);
}

namespace {

void writeFile(const fs::path& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

fs::path makeTemporaryRoot()
{
    std::string pattern = (fs::temp_directory_path() / "quorvel-e2e-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    return pattern;
}

}  // namespace

AgentSandbox::AgentSandbox() : root_(makeTemporaryRoot())
{
    // Copies, not links: the agent finds its bridge and tools from /proc/self/exe, which
    // resolves links to the build tree.
    fs::create_directories(root_ / "bin");
    fs::create_directories(root_ / "lib" / "quorvel");
    fs::copy_file(QUORVEL_HELPER_EXECUTABLE, root_ / "bin" / "quorvel-helper");
    fs::copy_file(QUORVEL_SHORTCUTS_EXECUTABLE, root_ / "bin" / "quorvel-shortcuts");
    fs::copy_file(QUORVEL_SCRIPTED_TOUCHPAD_LIBRARY, root_ / "lib" / "quorvel" / "libquorvel-multitouch.so");
    for (const char* folder : {"home", "touchpad", "out", "runtime"}) fs::create_directories(root_ / folder);
    fs::permissions(root_ / "runtime", fs::perms::owner_all, fs::perm_options::replace);
    fs::create_directories(supportDirectory() / "shortcuts");
}

AgentSandbox::~AgentSandbox()
{
    std::error_code ignored;
    fs::remove_all(root_, ignored);
}

void AgentSandbox::writeConfiguration(const std::string& json) const
{
    const auto staging = supportDirectory() / ".configuration.json.new";
    writeFile(staging, json);
    fs::rename(staging, supportDirectory() / "configuration.json");
}

void AgentSandbox::addShortcut(const std::string& name) const
{
    const auto script = supportDirectory() / "shortcuts" / name;
    writeFile(script, "#!/bin/sh\necho ran >> '" + (root_ / "out" / name).string() + "'\n");
    fs::permissions(script, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
}

int AgentSandbox::runsOf(const std::string& name) const
{
    std::ifstream in(root_ / "out" / name);
    int lines = 0;
    for (std::string line; std::getline(in, line);) ++lines;
    return lines;
}

std::unique_ptr<AgentProcess> AgentSandbox::startAgent()
{
    const auto executable = (root_ / "bin" / "quorvel-helper").string();
    const auto logFile = root_ / ("agent-" + std::to_string(++agentsStarted_) + ".log");

    // A bare environment: no display, no session bus. The sanitizers' settings pass on.
    std::vector<std::string> environment{
        "PATH=/usr/bin:/bin",
        "HOME=" + (root_ / "home").string(),
        "XDG_CONFIG_HOME=" + (root_ / "config").string(),
        "XDG_RUNTIME_DIR=" + (root_ / "runtime").string(),
        "QUORVEL_TEST_TOUCHPAD_DIR=" + (root_ / "touchpad").string(),
    };
    for (const char* name : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "TSAN_OPTIONS", "LSAN_OPTIONS"}) {
        if (const char* value = std::getenv(name)) environment.push_back(std::string(name) + "=" + value);
    }
    std::vector<char*> envp;
    for (auto& entry : environment) envp.push_back(entry.data());
    envp.push_back(nullptr);
    std::string argument0 = "quorvel-helper";
    char* argv[] = {argument0.data(), nullptr};

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, logFile.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    pid_t pid = 0;
    const int error = ::posix_spawn(&pid, executable.c_str(), &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) throw std::runtime_error("cannot start the agent");
    return std::make_unique<AgentProcess>(pid, logFile);
}

bool AgentSandbox::touchpadStarted() const { return fs::exists(root_ / "touchpad" / "started"); }

void AgentSandbox::requestDoubleTap()
{
    writeFile(root_ / "touchpad" / ("tap-" + std::to_string(++tapsRequested_)), "tap\n");
}

std::string configurationRunningShortcut(const std::string& name)
{
    return R"({
  "isEnabled": true,
  "recognizer": {"cornerZone": 0.3, "doubleTapWindow": 0.45, "tripleTapWindow": 0.2,
                 "maximumTapDuration": 0.28, "maximumTapTravel": 0.08},
  "assignments": [
    {"corner": "topLeft",
     "doubleTap": {"id": "00000000-0000-4000-8000-000000000001",
                   "kind": {"runShortcut": {"name": ")" + name + R"("}}, "isEnabled": true}}
  ]
})";
}

}  // namespace quorvel::testing
