#include "tests/linux/desktop/XvfbServer.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

namespace quorvel::testing {

std::unique_ptr<XvfbServer> XvfbServer::start()
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return nullptr;
    const pid_t pid = ::fork();
    if (pid < 0) return nullptr;
    if (pid == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);  // never outlive a test that crashed
        ::dup2(fds[1], 3);                   // the copy stays open across exec
        const int devNull = ::open("/dev/null", O_RDWR);
        for (int fd = 0; fd < 3; ++fd) ::dup2(devNull, fd);
        ::execlp("Xvfb", "Xvfb", "-displayfd", "3", "-noreset", "-nolisten", "tcp", nullptr);
        ::_exit(127);
    }
    ::close(fds[1]);
    // Xvfb writes its display number once it accepts connections, or exits.
    FILE* numberPipe = ::fdopen(fds[0], "r");
    int number = -1;
    const bool up = std::fscanf(numberPipe, "%d", &number) == 1;
    std::fclose(numberPipe);
    auto server = std::make_unique<XvfbServer>(pid, ":" + std::to_string(number));
    return up ? std::move(server) : nullptr;
}

XvfbServer::~XvfbServer()
{
    ::kill(pid, SIGTERM);
    ::waitpid(pid, nullptr, 0);
}

bool iterateUntil(GMainContext* context, const std::function<bool()>& done, std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    // A short timer keeps a blocking iteration from outliving the deadline.
    GSource* tick = g_timeout_source_new(10);
    g_source_set_callback(tick, [](gpointer) -> gboolean { return G_SOURCE_CONTINUE; }, nullptr, nullptr);
    g_source_attach(tick, context);
    while (!done() && std::chrono::steady_clock::now() < deadline) g_main_context_iteration(context, TRUE);
    g_source_destroy(tick);
    g_source_unref(tick);
    return done();
}

}  // namespace quorvel::testing
