#pragma once

#include "platform/KeyboardInputSources.h"
#include "platform/linux/desktop/DBusServiceProxy.h"

namespace quorvel::linux_backend {

// The keyboard layouts of a KDE Plasma session, through its layouts service on the
// session bus (the compositor's own on Wayland, so this also works where XKB group
// locks would reach X11 clients only). Layouts are addressed by their position in
// the user's list; the same layout may appear twice with different names.
class KdeKeyboardLayouts final : public platform::KeyboardInputSources {
public:
    explicit KdeKeyboardLayouts(DBusServiceProxy::Connector connector);

    std::optional<std::vector<platform::InputSource>> keyboardInputSourceList(bool includeAllInstalled) override;
    std::optional<platform::InputSource> currentKeyboardInputSource() override;
    void select(const platform::InputSource& source) override;

private:
    DBusServiceProxy layouts_;
};

}  // namespace quorvel::linux_backend
