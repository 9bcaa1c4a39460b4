#include "tests/tools/InstalledCopy.h"

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

namespace {

std::string readText(const fs::path& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

fs::path makeTemporaryRoot()
{
    std::string pattern = (fs::temp_directory_path() / "quorvel-tools-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    return pattern;
}

fs::path bridgePath(const fs::path& root) { return (root / "bin" / QUORVEL_BRIDGE_RELATIVE_PATH).lexically_normal(); }

}  // namespace

CopiedProcess::CopiedProcess(pid_t pid, fs::path outputFile, fs::path errorFile)
    : pid_(pid), outputFile_(std::move(outputFile)), errorFile_(std::move(errorFile))
{
}

CopiedProcess::~CopiedProcess()
{
    if (exited_) return;
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
}

std::string CopiedProcess::output() const { return readText(outputFile_); }

std::string CopiedProcess::errors() const { return readText(errorFile_); }

void CopiedProcess::sendSignal(int signal) const { ::kill(pid_, signal); }

std::optional<int> CopiedProcess::waitForExit(std::chrono::milliseconds limit)
{
    const bool reaped = eventually(
        [this] {
            if (!exited_) exited_ = ::waitpid(pid_, &status_, WNOHANG) == pid_;
            return exited_;
        },
        limit);
    if (!reaped || !WIFEXITED(status_)) return std::nullopt;
    return WEXITSTATUS(status_);
}

InstalledCopy::InstalledCopy() : root_(makeTemporaryRoot())
{
    fs::create_directories(root_ / "bin");
    fs::copy_file(QUORVEL_TOOL_EXECUTABLE, root_ / "bin" / "quorvel");
    fs::copy_file(QUORVEL_HELPER_EXECUTABLE, root_ / "bin" / "quorvel-helper");
    fs::create_directories(bridgePath(root_).parent_path());
    fs::copy_file(QUORVEL_SCRIPTED_BRIDGE_LIBRARY, bridgePath(root_));
    for (const char* folder : {"home", "config/Quorvel", "runtime"}) fs::create_directories(root_ / folder);
    fs::permissions(root_ / "runtime", fs::perms::owner_all, fs::perm_options::replace);
}

InstalledCopy::~InstalledCopy()
{
    std::error_code ignored;
    fs::remove_all(root_, ignored);
}

fs::path InstalledCopy::agentConfigurationFile() const { return root_ / "config" / "Quorvel" / "configuration.json"; }

void InstalledCopy::writeFile(const fs::path& path, const std::string& text) const
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

void InstalledCopy::removeBridge() const { fs::remove(bridgePath(root_)); }

std::unique_ptr<CopiedProcess> InstalledCopy::start(const std::string& executable,
                                                    const std::vector<std::string>& arguments,
                                                    const std::vector<std::string>& environment)
{
    const auto path = (root_ / "bin" / executable).string();
    const auto stem = root_ / (executable + "-" + std::to_string(++started_));
    const auto outputFile = fs::path(stem.string() + ".out");
    const auto errorFile = fs::path(stem.string() + ".err");

    std::vector<std::string> variables{
        "PATH=/usr/bin:/bin",
        "HOME=" + (root_ / "home").string(),
        "XDG_CONFIG_HOME=" + (root_ / "config").string(),
        "XDG_RUNTIME_DIR=" + (root_ / "runtime").string(),
    };
    variables.insert(variables.end(), environment.begin(), environment.end());
    for (const char* name : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "TSAN_OPTIONS", "LSAN_OPTIONS"}) {
        if (const char* value = std::getenv(name)) variables.push_back(std::string(name) + "=" + value);
    }
    std::vector<char*> envp;
    for (auto& variable : variables) envp.push_back(variable.data());
    envp.push_back(nullptr);
    std::vector<std::string> words{executable};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = 0;
    const int error = ::posix_spawn(&pid, path.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) throw std::runtime_error("cannot start " + path);
    return std::make_unique<CopiedProcess>(pid, outputFile, errorFile);
}

}  // namespace quorvel::testing
