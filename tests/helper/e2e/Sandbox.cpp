#include "tests/helper/e2e/Sandbox.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <thread>

namespace quorvel::testing {

namespace fs = std::filesystem;

bool eventually(const std::function<bool()>& condition, std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (; !condition(); std::this_thread::sleep_for(std::chrono::milliseconds(5)))
        if (std::chrono::steady_clock::now() >= deadline) return false;
    return true;
}

std::size_t countOf(const std::string& text, const std::string& part)
{
    std::size_t count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

namespace {

std::string readText(const fs::path& path)
{
    std::ifstream in(path);
    return {std::istreambuf_iterator<char>(in), {}};
}

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

SandboxProcess::~SandboxProcess()
{
    if (exited_) return;
    ::kill(pid_, SIGKILL);
    reap(0);
}

std::string SandboxProcess::output() const { return readText(stem_.string() + ".out"); }

std::string SandboxProcess::errors() const { return readText(stem_.string() + ".err"); }

bool SandboxProcess::reap(int options)
{
    if (!exited_) exited_ = ::waitpid(pid_, &status_, options) == pid_;
    return exited_;
}

bool SandboxProcess::isRunning() { return !reap(WNOHANG); }

void SandboxProcess::sendSignal(int signal) const { ::kill(pid_, signal); }

std::optional<int> SandboxProcess::waitForExit(std::chrono::milliseconds limit)
{
    if (!eventually([this] { return reap(WNOHANG); }, limit) || !WIFEXITED(status_)) return std::nullopt;
    return WEXITSTATUS(status_);
}

Sandbox::Sandbox() : root_(makeTemporaryRoot())
{
    const auto bridge = (root_ / "bin" / QUORVEL_BRIDGE_RELATIVE_PATH).lexically_normal();
    for (const auto& folder : {root_ / "bin", bridge.parent_path(), configurationFile().parent_path() / "shortcuts",
                               root_ / "home", root_ / "touchpad", root_ / "out", root_ / "runtime"})
        fs::create_directories(folder);
    fs::permissions(root_ / "runtime", fs::perms::owner_all, fs::perm_options::replace);
    fs::copy_file(QUORVEL_TOOL_EXECUTABLE, root_ / "bin/quorvel");
    fs::copy_file(QUORVEL_HELPER_EXECUTABLE, root_ / "bin/quorvel-helper");
    fs::copy_file(QUORVEL_SHORTCUTS_EXECUTABLE, root_ / "bin/quorvel-shortcuts");
    fs::copy_file(QUORVEL_SCRIPTED_TOUCHPAD_LIBRARY, bridge);
}

Sandbox::~Sandbox()
{
    std::error_code ignored;
    fs::remove_all(root_, ignored);
}

void Sandbox::writeConfiguration(const std::string& json) const
{
    const auto staging = configurationFile().string() + ".new";
    writeFile(staging, json);
    fs::rename(staging, configurationFile());
}

void Sandbox::addShortcut(const std::string& name, const std::string& then) const
{
    const auto script = configurationFile().parent_path() / "shortcuts" / name;
    const std::string out = (root_ / "out" / name).string();
    writeFile(script, "#!/bin/sh\nOUT='" + out + "'\necho ran >> \"$OUT\"\n" + then + "\n");
    fs::permissions(script, fs::perms::owner_all);
}

std::string Sandbox::shortcutOutput(const std::string& name) const { return readText(root_ / "out" / name); }

int Sandbox::runsOf(const std::string& name) const
{
    const auto text = shortcutOutput(name);
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

std::unique_ptr<SandboxProcess> Sandbox::start(const std::string& executable, std::vector<std::string> arguments,
                                               const std::vector<std::string>& environment, bool closedStandardStreams)
{
    const auto path = (root_ / "bin" / executable).string();
    const auto stem = root_ / (executable + "-" + std::to_string(++started_));
    std::vector<std::string> variables{
        "PATH=/usr/bin:/bin",
        "HOME=" + (root_ / "home").string(),
        "XDG_CONFIG_HOME=" + (root_ / "config").string(),
        "XDG_RUNTIME_DIR=" + (root_ / "runtime").string(),
        "QUORVEL_TEST_TOUCHPAD_DIR=" + (root_ / "touchpad").string(),
    };
    variables.insert(variables.end(), environment.begin(), environment.end());
    for (const char* name : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "TSAN_OPTIONS", "LSAN_OPTIONS"}) {
        if (const char* value = std::getenv(name)) variables.push_back(std::string(name) + "=" + value);
    }
    arguments.insert(arguments.begin(), executable);
    std::vector<char*> envp, argv;
    for (auto& variable : variables) envp.push_back(variable.data());
    for (auto& argument : arguments) argv.push_back(argument.data());
    envp.push_back(nullptr);
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (closedStandardStreams) {
        for (int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) posix_spawn_file_actions_addclose(&actions, fd);
    } else {
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, (stem.string() + ".out").c_str(), O_WRONLY | O_CREAT,
                                         0600);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, (stem.string() + ".err").c_str(), O_WRONLY | O_CREAT,
                                         0600);
    }
    pid_t pid = 0;
    const int error = ::posix_spawn(&pid, path.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) throw std::runtime_error("cannot start " + path);
    return std::make_unique<SandboxProcess>(pid, stem);
}

void Sandbox::playScript() { writeFile(root_ / "touchpad" / ("play-" + std::to_string(++plays_)), "play\n"); }

std::string configurationRunning(const std::string& kindJson)
{
    return R"({"isEnabled": true,
  "recognizer": {"cornerZone": 0.3, "doubleTapWindow": 0.45, "tripleTapWindow": 0.2,
                 "maximumTapDuration": 0.28, "maximumTapTravel": 0.08},
  "assignments": [{"corner": "topLeft", "doubleTap": {"id": "00000000-0000-4000-8000-000000000001",
                   "kind": )" + kindJson + R"(, "isEnabled": true}}]})";
}

std::string configurationRunningShortcut(const std::string& name)
{
    return configurationRunning(R"({"runShortcut": {"name": ")" + name + R"("}})");
}

}  // namespace quorvel::testing
