#include "tests/linux/desktop/HeadlessCompositor.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

namespace quorvel::testing {

std::unique_ptr<HeadlessCompositor> HeadlessCompositor::start(std::string& whyNot)
{
    if (std::system("command -v sway >/dev/null") != 0) {
        whyNot = "sway is not installed";
        return nullptr;
    }
    char pattern[] = "/tmp/quorvel-sway-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) {
        whyNot = "no temporary directory";
        return nullptr;
    }
    auto compositor = std::make_unique<HeadlessCompositor>();
    compositor->directory = pattern;
    const std::string runtime = compositor->directory + "/run";
    const std::string config = compositor->directory + "/config";
    // Once its socket accepts clients, sway runs the exec line, which names the socket.
    std::ofstream(config) << "xwayland disable\nexec printf '%s\\n' \"$WAYLAND_DISPLAY\" >&3\n";
    ::mkdir(runtime.c_str(), 0700);
    ::chmod(pattern, 0755);
    ::chmod(config.c_str(), 0644);

    // sway refuses to run as root: then it runs as nobody, in a runtime directory of its own.
    const passwd* nobody = ::getpwnam("nobody");
    const bool dropRoot = ::geteuid() == 0;
    if (dropRoot && (nobody == nullptr || ::chown(runtime.c_str(), nobody->pw_uid, nobody->pw_gid) != 0)) {
        whyNot = "running as root, and no user nobody to run sway as";
        return nullptr;
    }
    const std::vector<std::string> environment = {
        "PATH=" + std::string(std::getenv("PATH") != nullptr ? std::getenv("PATH") : "/usr/bin:/bin"),
        "HOME=" + compositor->directory, "XDG_RUNTIME_DIR=" + runtime, "WLR_BACKENDS=headless",
        "WLR_RENDERER=pixman", "WLR_LIBINPUT_NO_DEVICES=1"};
    std::vector<char*> envp;
    for (const std::string& entry : environment) envp.push_back(const_cast<char*>(entry.c_str()));
    envp.push_back(nullptr);
    const std::string log = compositor->directory + "/sway.log";
    std::vector<const char*> argv = {"sway", "-c", config.c_str(), nullptr};

    int ready[2];
    if (::pipe2(ready, O_CLOEXEC) != 0) return nullptr;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(ready[1], 3);  // the copy stays open across exec
        const int devNull = ::open("/dev/null", O_RDONLY);
        const int logFile = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(devNull, 0);
        ::dup2(logFile, 1);
        ::dup2(logFile, 2);
        const bool dropped = !dropRoot || (::setgroups(0, nullptr) == 0 && ::setgid(nobody->pw_gid) == 0 &&
                                           ::setuid(nobody->pw_uid) == 0);
        if (!dropped) ::_exit(126);
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);  // after the change of user, which clears it
        ::execvpe("sway", const_cast<char* const*>(argv.data()), envp.data());
        ::_exit(127);
    }
    ::close(ready[1]);
    compositor->pid = pid;
    std::string name;
    pollfd descriptor{ready[0], POLLIN, 0};
    char buffer[256];
    while (name.find('\n') == std::string::npos && ::poll(&descriptor, 1, 10'000) > 0) {
        const ssize_t count = ::read(ready[0], buffer, sizeof buffer);
        if (count <= 0) break;
        name.append(buffer, static_cast<std::size_t>(count));
    }
    ::close(ready[0]);
    if (name.find('\n') == std::string::npos || name.size() < 2) {
        std::ifstream output(log);
        std::string line;
        while (std::getline(output, line) && output.peek() != EOF) {}
        whyNot = "sway did not start headless: " + line;
        return nullptr;
    }
    compositor->displayName = runtime + "/" + name.substr(0, name.find('\n'));
    return compositor;
}

HeadlessCompositor::~HeadlessCompositor()
{
    if (pid > 0) {
        ::kill(pid, SIGTERM);
        ::waitpid(pid, nullptr, 0);
    }
    std::error_code ignored;
    std::filesystem::remove_all(directory, ignored);
}

}  // namespace quorvel::testing
