#include "tests/linux/desktop/XvfbServer.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace quorvel::testing {

std::unique_ptr<XvfbServer> XvfbServer::start()
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        return nullptr;
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);  // never outlive a test that crashed
        ::dup2(fds[1], 3);                   // dup2 clears close-on-exec on the copy
        const int devNull = ::open("/dev/null", O_RDWR);
        ::dup2(devNull, 0);
        ::dup2(devNull, 1);
        ::dup2(devNull, 2);
        ::execlp("Xvfb", "Xvfb", "-displayfd", "3", "-noreset", "-nolisten", "tcp", "-screen", "0", "640x480x24", nullptr);
        ::_exit(127);
    }
    ::close(fds[1]);
    std::string number;
    if (pid > 0) {
        // Xvfb writes its display number once it accepts connections.
        pollfd descriptor{fds[0], POLLIN, 0};
        char buffer[32];
        while (::poll(&descriptor, 1, 20000) > 0) {
            const ssize_t length = ::read(fds[0], buffer, sizeof buffer);
            if (length <= 0) {
                break;
            }
            number.append(buffer, static_cast<std::size_t>(length));
            if (number.find('\n') != std::string::npos) {
                break;
            }
        }
    }
    ::close(fds[0]);
    while (!number.empty() && (number.back() == '\n' || number.back() == ' ')) {
        number.pop_back();
    }
    if (pid <= 0 || number.empty()) {
        if (pid > 0) {
            ::kill(pid, SIGTERM);
            ::waitpid(pid, nullptr, 0);
        }
        return nullptr;
    }
    return std::unique_ptr<XvfbServer>(new XvfbServer(pid, ":" + number));
}

XvfbServer::~XvfbServer()
{
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
}

bool iterateUntil(GMainContext* context, const std::function<bool()>& done, std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    // A short timer keeps the blocking iteration from outliving the deadline.
    GSource* tick = g_timeout_source_new(10);
    g_source_set_callback(tick, [](gpointer) -> gboolean { return G_SOURCE_CONTINUE; }, nullptr, nullptr);
    g_source_attach(tick, context);
    bool held = done();
    while (!held && std::chrono::steady_clock::now() < deadline) {
        g_main_context_iteration(context, TRUE);
        held = done();
    }
    g_source_destroy(tick);
    g_source_unref(tick);
    return held;
}

}  // namespace quorvel::testing
