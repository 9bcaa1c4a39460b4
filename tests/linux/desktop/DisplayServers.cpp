#include "tests/linux/desktop/DisplayServers.h"

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

namespace fs = std::filesystem;

namespace {

// Starts `argv` with descriptor 3 a pipe, stdout and stderr to `output`, as `user` (else as this
// process's); true once the first line written to the pipe (the display name) has come, within 10 s.
bool start(DisplayServer& server, std::vector<std::string> argv, const std::string& output, const passwd* user)
{
    std::vector<char*> arguments;
    for (std::string& argument : argv) arguments.push_back(argument.data());
    arguments.push_back(nullptr);
    int ready[2];
    if (::pipe2(ready, O_CLOEXEC) != 0) return false;
    server.pid = ::fork();
    if (server.pid == 0) {
        const int in = ::open("/dev/null", O_RDONLY), out = ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(in, 0);
        ::dup2(out, 1);
        ::dup2(out, 2);
        ::dup2(ready[1], 3);  // the copy stays open across exec
        if (!user || (::setgroups(0, nullptr) == 0 && ::setgid(user->pw_gid) == 0 && ::setuid(user->pw_uid) == 0)) {
            ::prctl(PR_SET_PDEATHSIG, SIGTERM);  // after the change of user, which clears it
            ::execvp(arguments[0], arguments.data());
        }
        ::_exit(127);
    }
    ::close(ready[1]);
    std::string line;
    pollfd descriptor{ready[0], POLLIN, 0};
    char buffer[256];
    ssize_t count = 0;
    while (server.pid > 0 && line.find('\n') == std::string::npos && ::poll(&descriptor, 1, 10'000) > 0
           && (count = ::read(ready[0], buffer, sizeof buffer)) > 0) {
        line.append(buffer, static_cast<std::size_t>(count));
    }
    ::close(ready[0]);
    server.displayName = line.substr(0, line.find('\n'));
    return line.find('\n') != std::string::npos && !server.displayName.empty();
}

}  // namespace

DisplayServer::~DisplayServer()
{
    if (pid > 0) {
        ::kill(pid, SIGTERM);
        ::waitpid(pid, nullptr, 0);
    }
    std::error_code ignored;
    if (!directory.empty()) fs::remove_all(directory, ignored);
}

std::string DisplayServer::environment() const
{
    if (directory.empty()) return "DISPLAY=" + displayName;
    return "WAYLAND_DISPLAY=" + displayName + " XDG_RUNTIME_DIR=" + directory + "/run";
}

std::unique_ptr<DisplayServer> startXvfb()
{
    auto server = std::make_unique<DisplayServer>();
    const bool up = start(*server, {"Xvfb", "-displayfd", "3", "-noreset", "-nolisten", "tcp"}, "/dev/null", nullptr);
    if (!up) return nullptr;
    server->displayName = ":" + server->displayName;
    return server;
}

std::unique_ptr<DisplayServer> startHeadlessSway(std::string& whyNot)
{
    char pattern[] = "/tmp/quorvel-sway-XXXXXX";
    if (std::system("command -v sway >/dev/null") != 0) {
        whyNot = "sway is not installed";
        return nullptr;
    }
    if (::mkdtemp(pattern) == nullptr) {
        whyNot = "no temporary folder";
        return nullptr;
    }
    auto server = std::make_unique<DisplayServer>();
    server->directory = pattern;
    const std::string runtime = server->directory + "/run", config = server->directory + "/config";
    const std::string log = server->directory + "/sway.log";
    // Once its socket accepts clients, sway runs the exec line, which names the socket.
    std::ofstream(config) << "xwayland disable\nexec printf '%s\\n' \"$WAYLAND_DISPLAY\" >&3\n";
    ::mkdir(runtime.c_str(), 0700);
    ::chmod(pattern, 0755);
    ::chmod(config.c_str(), 0644);
    // sway refuses to run as root: then it runs as nobody, in a runtime directory of its own.
    const passwd* nobody = ::geteuid() == 0 ? ::getpwnam("nobody") : nullptr;
    if (::geteuid() == 0 && (nobody == nullptr || ::chown(runtime.c_str(), nobody->pw_uid, nobody->pw_gid) != 0)) {
        whyNot = "running as root, and no user nobody to run sway as";
        return nullptr;
    }
    const char* path = std::getenv("PATH");
    const std::string searchPath = "PATH=" + std::string(path != nullptr ? path : "/usr/bin:/bin");
    if (!start(*server,
               {"env", "-i", searchPath, "HOME=" + server->directory, "XDG_RUNTIME_DIR=" + runtime,
                "WLR_BACKENDS=headless", "WLR_RENDERER=pixman", "WLR_LIBINPUT_NO_DEVICES=1", "sway", "-c", config},
               log, nobody)) {
        std::ifstream output(log);
        std::string line;
        while (std::getline(output, line) && output.peek() != EOF) {}
        whyNot = "sway did not start headless: " + line;
        return nullptr;
    }
    server->displayName = runtime + "/" + server->displayName;
    return server;
}

std::string takeFile(GMainContext* context, const std::string& path)
{
    EXPECT_TRUE(iterateUntil(context, [&] { return fs::exists(path); })) << path;
    std::ifstream in(path, std::ios::binary);
    std::string contents(std::istreambuf_iterator<char>(in), {});
    fs::remove(path);
    return contents;
}

std::string outputOf(GMainContext* context, const std::string& command)
{
    static int commands = 0;
    const std::string out =
        fs::temp_directory_path() / ("quorvel-output-" + std::to_string(::getpid()) + "-" + std::to_string(++commands));
    EXPECT_EQ(std::system(("((" + command + ") >" + out + ".tmp; mv " + out + ".tmp " + out + ") &").c_str()), 0);
    return takeFile(context, out);
}

}  // namespace quorvel::testing
