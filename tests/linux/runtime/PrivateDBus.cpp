#include "tests/linux/runtime/PrivateDBus.h"

#include <gtest/gtest.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <csignal>

#include "tests/linux/runtime/MainContextLoop.h"

namespace quorvel::testing {

using linux_backend::GCharPtr;
using linux_backend::GErrorPtr;
using linux_backend::GObjectPtr;
using linux_backend::GVariantPtr;

namespace {

// Debian's interpreter: python3-dbusmock is installed for it, not for other pythons on PATH.
constexpr const char* python = "/usr/bin/python3";
constexpr const char* dbusDaemon = "/usr/bin/dbus-daemon";

// Children end with the test process, even when it crashes.
void endWithParent(gpointer) { prctl(PR_SET_PDEATHSIG, SIGTERM); }

GSubprocessLauncher* newLauncher(GSubprocessFlags flags)
{
    GSubprocessLauncher* launcher = g_subprocess_launcher_new(flags);
    g_subprocess_launcher_set_child_setup(launcher, endWithParent, nullptr, nullptr);
    return launcher;
}

void stop(GSubprocess* process)
{
    if (!process) return;
    g_subprocess_force_exit(process);
    g_subprocess_wait(process, nullptr, nullptr);
}

}  // namespace

std::optional<std::string> missingDBusTools()
{
    if (!g_file_test(dbusDaemon, G_FILE_TEST_IS_EXECUTABLE)) return "dbus-daemon is not installed";
    const char* argv[] = {python, "-c", "import dbusmock", nullptr};
    gint status = 0;
    if (!g_spawn_sync(nullptr, const_cast<char**>(argv), nullptr, G_SPAWN_STDERR_TO_DEV_NULL, nullptr, nullptr,
                      nullptr, nullptr, &status, nullptr) ||
        !g_spawn_check_wait_status(status, nullptr)) {
        return "python3-dbusmock is not installed";
    }
    return std::nullopt;
}

PrivateBus::PrivateBus()
{
    GObjectPtr<GSubprocessLauncher> launcher(
        newLauncher(static_cast<GSubprocessFlags>(G_SUBPROCESS_FLAGS_STDOUT_PIPE | G_SUBPROCESS_FLAGS_STDERR_SILENCE)));
    const char* argv[] = {dbusDaemon, "--session", "--nofork", "--print-address", nullptr};
    daemon_.reset(g_subprocess_launcher_spawnv(launcher.get(), argv, nullptr));
    if (!daemon_) return;
    GObjectPtr<GDataInputStream> output(g_data_input_stream_new(g_subprocess_get_stdout_pipe(daemon_.get())));
    const GCharPtr line(g_data_input_stream_read_line(output.get(), nullptr, nullptr, nullptr));
    if (!line) return;
    address_ = line.get();
    connection_.reset(g_dbus_connection_new_for_address_sync(
        address_.c_str(),
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, nullptr));
}

PrivateBus::~PrivateBus()
{
    if (connection_) g_dbus_connection_close_sync(connection_.get(), nullptr, nullptr);
    stop(daemon_.get());
}

bool PrivateBus::waitForName(const char* name)
{
    bool owned = false;
    const guint watch = g_bus_watch_name_on_connection(
        connection_.get(), name, G_BUS_NAME_WATCHER_FLAGS_NONE,
        [](GDBusConnection*, const gchar*, const gchar*, gpointer flag) { *static_cast<bool*>(flag) = true; }, nullptr,
        &owned, nullptr);
    const bool appeared = iterateUntil([&] { return owned; });
    g_bus_unwatch_name(watch);
    return appeared;
}

bool PrivateBus::call(const char* destination, const char* path, const char* interface, const char* method,
                      GVariant* parameters)
{
    GError* rawError = nullptr;
    GVariantPtr reply(g_dbus_connection_call_sync(connection_.get(), destination, path, interface, method, parameters,
                                                  nullptr, G_DBUS_CALL_FLAGS_NONE, 10000, nullptr, &rawError));
    GErrorPtr error(rawError);
    if (error) ADD_FAILURE() << method << ": " << error->message;
    return reply != nullptr;
}

void PrivateBus::flushDeliveries()
{
    // A connection's worker hands received signals to the main context in order and answers
    // Peer.Ping itself; once the ping returns, everything routed to it before is queued here.
    GVariantPtr names(g_dbus_connection_call_sync(connection_.get(), "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                                  "org.freedesktop.DBus", "ListNames", nullptr, G_VARIANT_TYPE("(as)"),
                                                  G_DBUS_CALL_FLAGS_NONE, 10000, nullptr, nullptr));
    if (names) {
        GVariantIter* iterator = nullptr;
        g_variant_get(names.get(), "(as)", &iterator);
        const gchar* name = nullptr;
        const std::string own = g_dbus_connection_get_unique_name(connection_.get());
        while (g_variant_iter_next(iterator, "&s", &name)) {
            if (name[0] != ':' || own == name) continue;
            GVariantPtr pid(g_dbus_connection_call_sync(connection_.get(), "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                                        "org.freedesktop.DBus", "GetConnectionUnixProcessID",
                                                        g_variant_new("(s)", name), G_VARIANT_TYPE("(u)"),
                                                        G_DBUS_CALL_FLAGS_NONE, 10000, nullptr, nullptr));
            guint32 processId = 0;
            if (pid) g_variant_get(pid.get(), "(u)", &processId);
            if (processId != static_cast<guint32>(getpid())) continue;
            GVariantPtr pong(g_dbus_connection_call_sync(connection_.get(), name, "/", "org.freedesktop.DBus.Peer",
                                                         "Ping", nullptr, nullptr, G_DBUS_CALL_FLAGS_NONE, 10000,
                                                         nullptr, nullptr));
        }
        g_variant_iter_free(iterator);
    }
    iterateReady();
}

MockService::MockService(const PrivateBus& bus, bool systemBus, std::vector<std::string> arguments)
{
    GObjectPtr<GSubprocessLauncher> launcher(newLauncher(G_SUBPROCESS_FLAGS_STDOUT_SILENCE));
    g_subprocess_launcher_setenv(launcher.get(), systemBus ? "DBUS_SYSTEM_BUS_ADDRESS" : "DBUS_SESSION_BUS_ADDRESS",
                                 bus.address().c_str(), TRUE);
    std::vector<const char*> argv{python, "-m", "dbusmock"};
    for (const auto& argument : arguments) argv.push_back(argument.c_str());
    argv.push_back(nullptr);
    process_.reset(g_subprocess_launcher_spawnv(launcher.get(), argv.data(), nullptr));
}

MockService::~MockService() { stop(process_.get()); }

}  // namespace quorvel::testing
