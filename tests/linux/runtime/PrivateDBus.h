#pragma once

#include <gio/gio.h>

#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/linux/runtime/GLibHandles.h"

namespace quorvel::testing {

// The tools the D-Bus tests need: Debian's dbus-daemon and python3-dbusmock.
// Returns why they cannot run, or nothing when they can.
std::optional<std::string> missingDBusTools();

// A private message bus (dbus-daemon with the session configuration), stopped with the object.
class PrivateBus {
public:
    PrivateBus();
    ~PrivateBus();
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    const std::string& address() const { return address_; }
    // The test's own connection, for driving mocks.
    GDBusConnection* connection() const { return connection_.get(); }

    // Waits until `name` has an owner on this bus.
    bool waitForName(const char* name);
    // Calls a method and waits for its reply; false on error.
    bool call(const char* destination, const char* path, const char* interface, const char* method,
              GVariant* parameters);
    // Makes sure every signal already routed to other connections of this process has been
    // handed to the main context, then runs whatever is ready there.
    void flushDeliveries();

private:
    linux_backend::GObjectPtr<GSubprocess> daemon_;
    std::string address_;
    linux_backend::GObjectPtr<GDBusConnection> connection_;
};

// A python3-dbusmock process on a private bus, stopped with the object.
class MockService {
public:
    // `systemBus` decides which environment variable carries the bus address.
    MockService(const PrivateBus& bus, bool systemBus, std::vector<std::string> arguments);
    ~MockService();
    MockService(const MockService&) = delete;
    MockService& operator=(const MockService&) = delete;

private:
    linux_backend::GObjectPtr<GSubprocess> process_;
};

}  // namespace quorvel::testing
