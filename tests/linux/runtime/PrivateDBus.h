#pragma once

// Private message buses (Debian's dbus-daemon) with python3-dbusmock services, for the tests of
// the D-Bus clients.
#include <gtest/gtest.h>
#include <sys/prctl.h>

#include <array>
#include <csignal>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/linux/GLibHandles.h"
#include "tests/linux/runtime/MainContextLoop.h"

namespace quorvel::testing {

using linux_backend::GErrorPtr;
using linux_backend::GObjectPtr;
using linux_backend::GVariantPtr;
using linux_backend::GCharPtr;

// Why the D-Bus tests cannot run here, or nothing when they can.
inline std::optional<std::string> missingDBusTools()
{
    if (!g_file_test("/usr/bin/dbus-daemon", G_FILE_TEST_IS_EXECUTABLE)) return "dbus-daemon is not installed";
    if (std::system("/usr/bin/python3 -c 'import dbusmock' 2>/dev/null") != 0)
        return "python3-dbusmock is not installed";
    return std::nullopt;
}

// A child process (Debian's dbus-daemon or python3-dbusmock) that ends with the test process, even when it crashes.
inline GObjectPtr<GSubprocess> spawn(std::vector<const char*> argv, GSubprocessFlags flags, const char* busVariable = nullptr,
                              const std::string& address = {})
{
    GObjectPtr<GSubprocessLauncher> launcher(g_subprocess_launcher_new(flags));
    g_subprocess_launcher_set_child_setup(launcher.get(), [](gpointer) { prctl(PR_SET_PDEATHSIG, SIGTERM); }, nullptr, nullptr);
    if (busVariable) g_subprocess_launcher_setenv(launcher.get(), busVariable, address.c_str(), TRUE);
    argv.push_back(nullptr);
    return GObjectPtr<GSubprocess>(g_subprocess_launcher_spawnv(launcher.get(), argv.data(), nullptr));
}

struct Child {
    GObjectPtr<GSubprocess> process;
    ~Child() { if (process) g_subprocess_force_exit(process.get()), g_subprocess_wait(process.get(), nullptr, nullptr); }
};

// A mock's method: its name, input and output signatures, and the Python code that answers it.
using MockMethod = std::array<const char*, 4>;

// A private message bus with the test's own connection, for driving the mocks on it.
struct PrivateBus {
    PrivateBus()
    {
        daemon.process = spawn({"/usr/bin/dbus-daemon", "--session", "--nofork", "--print-address"},
                               static_cast<GSubprocessFlags>(G_SUBPROCESS_FLAGS_STDOUT_PIPE | G_SUBPROCESS_FLAGS_STDERR_SILENCE));
        if (!daemon.process) return;
        GObjectPtr<GDataInputStream> output(g_data_input_stream_new(g_subprocess_get_stdout_pipe(daemon.process.get())));
        const GCharPtr line(g_data_input_stream_read_line(output.get(), nullptr, nullptr, nullptr));
        address = line ? line.get() : "";
        connection.reset(g_dbus_connection_new_for_address_sync(
            address.c_str(),
            static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT | G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
            nullptr, nullptr, nullptr));
    }
    ~PrivateBus() { if (connection) g_dbus_connection_close_sync(connection.get(), nullptr, nullptr); }

    // Starts a python3-dbusmock service on this bus and waits until it owns `name`.
    void startMock(const char* name, bool systemBus, std::vector<const char*> arguments)
    {
        arguments.insert(arguments.begin(), {"/usr/bin/python3", "-m", "dbusmock"});
        mocks.push_back(std::make_unique<Child>());
        mocks.back()->process = spawn(arguments, G_SUBPROCESS_FLAGS_STDOUT_SILENCE,
                                      systemBus ? "DBUS_SYSTEM_BUS_ADDRESS" : "DBUS_SESSION_BUS_ADDRESS", address);
        bool owned = false;
        const guint watch = g_bus_watch_name_on_connection(
            connection.get(), name, G_BUS_NAME_WATCHER_FLAGS_NONE,
            [](GDBusConnection*, const gchar*, const gchar*, gpointer flag) { *static_cast<bool*>(flag) = true; }, nullptr,
            &owned, nullptr);
        EXPECT_TRUE(iterateUntil([&] { return owned; })) << name;
        g_bus_unwatch_name(watch);
    }

    // A session mock owning `name` with one object at `path` answering `methods` of `interface`.
    void startMock(const char* name, const char* path, const char* interface, const std::vector<MockMethod>& methods)
    {
        startMock(name, false, {name, path, interface});
        addMethods(name, path, interface, methods);
    }
    void addMethods(const char* name, const char* path, const char* interface, const std::vector<MockMethod>& methods)
    {
        for (const auto& [method, in, out, code] : methods) {
            call(name, path, mock, "AddMethod", g_variant_new("(sssss)", interface, method, in, out, code));
        }
    }

    // The reply, or null after a failure that fails the test.
    GVariantPtr call(const char* destination, const char* path, const char* interface, const char* method,
                     GVariant* parameters)
    {
        GError* error = nullptr;
        GVariantPtr reply(g_dbus_connection_call_sync(connection.get(), destination, path, interface, method, parameters,
                                                      nullptr, G_DBUS_CALL_FLAGS_NONE, 10000, nullptr, &error));
        EXPECT_EQ(error, nullptr) << method << ": " << (error ? error->message : "");
        GErrorPtr owned(error);
        return reply;
    }

    // Has the mock owning `name` change one property, or emit one signal with one argument.
    void setProperty(const char* name, const char* path, const char* interface, const char* property, GVariant* value)
    {
        GVariantBuilder changes;
        g_variant_builder_init(&changes, G_VARIANT_TYPE("a{sv}"));
        g_variant_builder_add(&changes, "{sv}", property, value);
        call(name, path, mock, "UpdateProperties", g_variant_new("(sa{sv})", interface, &changes));
    }
    void emit(const char* name, const char* path, const char* interface, const char* signal, GVariant* argument)
    {
        GVariant* boxed = g_variant_new_variant(argument);
        call(name, path, mock, "EmitSignal",
             g_variant_new("(sss@av)", interface, signal, g_variant_get_type_string(argument),
                           g_variant_new_array(G_VARIANT_TYPE_VARIANT, &boxed, 1)));
    }

    // Every signal already routed to the observers' connections is handed to the main context (a
    // connection's worker answers Peer.Ping after queuing what it read before), then run.
    void flushDeliveries()
    {
        GVariantPtr names(g_dbus_connection_call_sync(connection.get(), "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                                      "org.freedesktop.DBus", "ListNames", nullptr, G_VARIANT_TYPE("(as)"),
                                                      G_DBUS_CALL_FLAGS_NONE, 10000, nullptr, nullptr));
        GVariantIter iterator;
        const gchar* name = nullptr;
        const GVariantPtr list(g_variant_get_child_value(names.get(), 0));
        g_variant_iter_init(&iterator, list.get());
        while (g_variant_iter_next(&iterator, "&s", &name)) {
            if (name[0] != ':' || std::string_view(name) == g_dbus_connection_get_unique_name(connection.get())) continue;
            GVariantPtr(g_dbus_connection_call_sync(connection.get(), name, "/", "org.freedesktop.DBus.Peer", "Ping", nullptr,
                                                    nullptr, G_DBUS_CALL_FLAGS_NONE, 10000, nullptr, nullptr));
        }
        iterateReady();
    }

    static constexpr const char* mock = "org.freedesktop.DBus.Mock";
    Child daemon;
    std::string address;
    GObjectPtr<GDBusConnection> connection;
    std::vector<std::unique_ptr<Child>> mocks;
};

}  // namespace quorvel::testing
