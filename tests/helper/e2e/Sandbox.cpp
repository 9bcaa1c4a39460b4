#include "tests/helper/e2e/Sandbox.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
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

SandboxProcess::~SandboxProcess()
{
    if (exited_) return;
    ::kill(pid_, SIGKILL);
    reap(0);
}

bool SandboxProcess::reap(int options)
{
    if (!exited_) exited_ = ::waitpid(pid_, &status_, options) == pid_;
    return exited_;
}

std::optional<int> SandboxProcess::waitForExit(std::chrono::milliseconds limit)
{
    if (!eventually([this] { return reap(WNOHANG); }, limit) || !WIFEXITED(status_)) return std::nullopt;
    return WEXITSTATUS(status_);
}

Sandbox::Sandbox()
{
    const auto bridge = (path("bin") / QUORVEL_BRIDGE_RELATIVE_PATH).lexically_normal();
    for (const auto& folder : {path("bin"), bridge.parent_path(), supportFolder() / "shortcuts", path("home"),
                               path("touchpad"), path("out"), path("runtime")})
        fs::create_directories(folder);
    fs::permissions(path("runtime"), fs::perms::owner_all, fs::perm_options::replace);
    fs::copy_file(QUORVEL_TOOL_EXECUTABLE, path("bin/quorvel"));
    fs::copy_file(QUORVEL_HELPER_EXECUTABLE, path("bin/quorvel-helper"));
    fs::copy_file(QUORVEL_SHORTCUTS_EXECUTABLE, path("bin/quorvel-shortcuts"));
    fs::copy_file(QUORVEL_SCRIPTED_TOUCHPAD_LIBRARY, bridge);
}

void Sandbox::writeConfiguration(const std::string& json) const
{
    const auto staging = configurationFile().string() + ".new";
    writeFile(staging, json);
    fs::rename(staging, configurationFile());
}

void Sandbox::addShortcut(const std::string& name, const std::string& then) const
{
    const auto script = supportFolder() / "shortcuts" / name;
    writeFile(script, "#!/bin/sh\nOUT='" + path("out/" + name).string() + "'\necho ran >> \"$OUT\"\n" + then + "\n");
    fs::permissions(script, fs::perms::owner_all);
}

int Sandbox::runsOf(const std::string& name) const
{
    const auto text = shortcutOutput(name);
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

std::unique_ptr<SandboxProcess> Sandbox::start(const std::string& executable, std::vector<std::string> arguments,
                                               const std::vector<std::string>& environment, bool closedStandardStreams)
{
    const auto program = path("bin/" + executable).string();
    const auto stem = path(executable + "-" + std::to_string(++started_)).string();
    // The test's own variables first: the first of two with one name counts.
    std::vector<std::string> variables = environment;
    variables.insert(variables.end(), {"PATH=/usr/bin:/bin", "HOME=" + path("home").string(),
                                       "XDG_CONFIG_HOME=" + path("config").string(),
                                       "XDG_RUNTIME_DIR=" + path("runtime").string(),
                                       "QUORVEL_TEST_TOUCHPAD_DIR=" + path("touchpad").string()});
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
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, (stem + ".out").c_str(), O_WRONLY | O_CREAT, 0600);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, (stem + ".err").c_str(), O_WRONLY | O_CREAT, 0600);
    }
    pid_t pid = 0;
    const int error = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) throw std::runtime_error("cannot start " + program);
    return std::make_unique<SandboxProcess>(pid, stem);
}

std::string Sandbox::quorvel(const std::vector<std::string>& arguments, int status,
                             const std::vector<std::string>& environment)
{
    const auto run = start("quorvel", arguments, environment);
    const auto exit = run->waitForExit();
    const std::string said = run->output() + run->errors();
    EXPECT_EQ(exit, status) << "quorvel " << (arguments.empty() ? "" : arguments[0]) << ": " << said;
    return said;
}

std::unique_ptr<SandboxProcess> Sandbox::startAgentRunning(const std::string& shortcut, const std::string& then,
                                                           const std::vector<std::string>& environment)
{
    addShortcut(shortcut, then);
    writeConfiguration(configurationRunningShortcut(shortcut));
    auto agent = start("quorvel-helper", {}, environment);
    EXPECT_TRUE(eventually([this] { return touchpadStarted(); })) << agent->errors();
    return agent;
}

std::string configurationRunningShortcut(const std::string& name)
{
    return documentWithKind(R"({"runShortcut": {"name": ")" + name + R"("}})");
}

}  // namespace quorvel::testing
