#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/EventTap.h"
#include "platform/KeyboardInputSources.h"
#include "platform/linux/desktop/KeyboardShortcutText.h"

namespace quorvel::linux_backend {

// The input sources a GNOME session is configured with (org.gnome.desktop.input-sources
// "sources", most recently used first in "mru-sources"). GNOME switches sources only
// through its own shell and ignores writes to its settings, so selecting another source
// presses the shell's own switch chord ("switch-input-source" of
// org.gnome.desktop.wm.keybindings, Super+Space by default). A quick press moves to the
// most recently used other source: the next one when two are configured, the previous
// one otherwise. Without a usable chord no source is selectable, and the dispatcher
// tells the user with the alert sound.
class GnomeInputSources final : public platform::KeyboardInputSources {
public:
    // (type, id) pairs of a settings key such as ("xkb", "de+nodeadkeys"); nothing when
    // the schema or key is not installed.
    using SourcesLookup = std::function<std::optional<std::vector<std::pair<std::string, std::string>>>(
        const std::string& key)>;

    // The shell's switch chord, nothing when none is set or it has no equivalent.
    using ChordLookup = std::function<std::optional<HotKeyChord>()>;

    GnomeInputSources(SourcesLookup lookup, ChordLookup switchChord, platform::EventTap& eventTap);
    // Nothing when the GNOME input-source settings are not installed.
    static std::unique_ptr<GnomeInputSources> fromInstalledSettings(platform::EventTap& eventTap);

    std::optional<std::vector<platform::InputSource>> keyboardInputSourceList(bool includeAllInstalled) override;
    std::optional<platform::InputSource> currentKeyboardInputSource() override;
    void select(const platform::InputSource& source) override;

private:
    SourcesLookup lookup_;
    ChordLookup switchChord_;
    platform::EventTap& eventTap_;
};

}  // namespace quorvel::linux_backend
