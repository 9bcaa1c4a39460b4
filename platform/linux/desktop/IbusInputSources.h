#pragma once

#include <optional>
#include <string>

#include "platform/KeyboardInputSources.h"
#include "platform/linux/desktop/DBusServiceProxy.h"

namespace quorvel::linux_backend {

// The engines IBus is configured with (its preloaded engines, layouts included as
// "xkb:us::eng"), through the daemon's own message bus. Selecting one makes it the
// global engine.
class IbusInputSources final : public platform::KeyboardInputSources {
public:
    explicit IbusInputSources(DBusServiceProxy::Connector connector);
    // The daemon of this session, found anew at each connection: it writes a new
    // address whenever it restarts.
    static std::unique_ptr<IbusInputSources> forCurrentSession();

    // The daemon's bus address: $IBUS_ADDRESS, else the "IBUS_ADDRESS=" line of the
    // address file that IBus writes per machine and display (named by
    // $IBUS_ADDRESS_FILE, or <config dir>/ibus/bus/<machine id>-<host>-<display>).
    static std::optional<std::string> busAddress();

    std::optional<std::vector<platform::InputSource>> keyboardInputSourceList(bool includeAllInstalled) override;
    std::optional<platform::InputSource> currentKeyboardInputSource() override;
    void select(const platform::InputSource& source) override;

private:
    DBusServiceProxy daemon_;
};

}  // namespace quorvel::linux_backend
