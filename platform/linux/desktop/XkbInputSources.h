#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/KeyboardInputSources.h"
#include "platform/linux/desktop/XConnection.h"

namespace quorvel::linux_backend {

// The keyboard layouts of an X11 session: the groups of the XKB keymap, named from
// the server's rules names ("xkb:us", "xkb:de+nodeadkeys" as GNOME spells them) or
// the group names. Selecting one locks its group. XKB has no installed-but-disabled
// layouts, so both lists are the same.
class XkbInputSources final : public platform::KeyboardInputSources {
public:
    // Nothing without an X server that speaks XKB.
    static std::unique_ptr<XkbInputSources> connect(const std::string& displayName = {});

    std::optional<std::vector<platform::InputSource>> keyboardInputSourceList(bool includeAllInstalled) override;
    std::optional<platform::InputSource> currentKeyboardInputSource() override;
    void select(const platform::InputSource& source) override;

private:
    explicit XkbInputSources(std::unique_ptr<XConnection> connection) : connection_(std::move(connection)) {}
    std::vector<platform::InputSource> groups();

    std::unique_ptr<XConnection> connection_;
};

}  // namespace quorvel::linux_backend
