#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/KeyboardInputSources.h"

namespace quorvel::linux_backend {

// The input sources a GNOME session is configured with (org.gnome.desktop.input-sources
// "sources", most recently used first in "mru-sources"). GNOME switches sources only
// through its own shell and ignores writes to its settings, so none is reported as
// selectable and `select` does nothing: the dispatcher then tells the user with the
// alert sound instead of switching behind the shell's back.
class GnomeInputSources final : public platform::KeyboardInputSources {
public:
    // (type, id) pairs of a settings key such as ("xkb", "de+nodeadkeys"); nothing when
    // the schema or key is not installed.
    using SourcesLookup = std::function<std::optional<std::vector<std::pair<std::string, std::string>>>(
        const std::string& key)>;

    explicit GnomeInputSources(SourcesLookup lookup);
    // Nothing when the GNOME input-source settings are not installed.
    static std::unique_ptr<GnomeInputSources> fromInstalledSettings();

    std::optional<std::vector<platform::InputSource>> keyboardInputSourceList(bool includeAllInstalled) override;
    std::optional<platform::InputSource> currentKeyboardInputSource() override;
    void select(const platform::InputSource& source) override;

private:
    SourcesLookup lookup_;
};

}  // namespace quorvel::linux_backend
