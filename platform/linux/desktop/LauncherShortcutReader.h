#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/PreferenceReader.h"
#include "platform/linux/desktop/KeyboardShortcutText.h"

namespace quorvel::linux_backend {

// Answers the reference platform's symbolic hot key preference with the desktop's
// own launcher shortcut, in the form that preference has:
// {"64": {"enabled": true, "value": {"parameters": [65535, keyCode, mask]}}}.
// GNOME: the overview shortcut of its settings; KDE: KRunner's launch shortcut in
// kglobalshortcutsrc. Any other desktop, or a shortcut without an equivalent key,
// gives nothing (the launcher application is opened instead).
class LauncherShortcutReader final : public platform::PreferenceReader {
public:
    // A string-list setting (schema, key), nothing when the schema or key is not installed.
    using SettingsLookup = std::function<std::optional<std::vector<std::string>>(const std::string& schema,
                                                                                 const std::string& key)>;

    LauncherShortcutReader(std::string currentDesktop, SettingsLookup settings, std::string kdeShortcutsFile);
    // $XDG_CURRENT_DESKTOP, the installed GSettings schemas and the user's KDE file.
    static std::unique_ptr<LauncherShortcutReader> forCurrentSession();
    // GSettings through the default schema source; nothing for a missing schema or key.
    static std::optional<std::vector<std::string>> readInstalledSetting(const std::string& schema,
                                                                        const std::string& key);

    std::optional<platform::PropertyValue> copyAppValue(const std::string& key,
                                                        const std::string& applicationID) override;

    std::optional<HotKeyChord> launcherChord();

private:
    std::optional<HotKeyChord> gnomeChord();
    std::optional<HotKeyChord> kdeChord();

    std::string currentDesktop_;
    SettingsLookup settings_;
    std::string kdeShortcutsFile_;
};

}  // namespace quorvel::linux_backend
