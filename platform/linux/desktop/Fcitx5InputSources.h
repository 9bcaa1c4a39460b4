#pragma once

#include <memory>

#include "platform/KeyboardInputSources.h"
#include "platform/linux/desktop/DBusServiceProxy.h"

namespace quorvel::linux_backend {

// The input methods of fcitx5's current group (keyboard layouts are input methods
// there too, "keyboard-us"), through its controller on the session bus. Selecting one
// makes it the current input method. Installed but unconfigured methods are not
// offered: they are not part of the user's list.
class Fcitx5InputSources final : public platform::KeyboardInputSources {
public:
    explicit Fcitx5InputSources(DBusServiceProxy::Connector connector);

    std::optional<std::vector<platform::InputSource>> keyboardInputSourceList(bool includeAllInstalled) override;
    std::optional<platform::InputSource> currentKeyboardInputSource() override;
    void select(const platform::InputSource& source) override;

private:
    DBusServiceProxy controller_;
};

}  // namespace quorvel::linux_backend
