#include "platform/linux/desktop/LauncherShortcutReader.h"

#include <cstdlib>

#include "platform/linux/desktop/CurrentDesktop.h"
#include "platform/linux/GLibHandles.h"

namespace quorvel::linux_backend {
namespace {

constexpr const char* hotKeysDomain = "com.apple.symbolichotkeys";
constexpr const char* hotKeysKey = "AppleSymbolicHotKeys";
constexpr const char* searchHotKeyIdentifier = "64";
// The first parameter (the character) is unused by the reader; 65535 means none.
constexpr std::int64_t noCharacter = 65535;

std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

}  // namespace

LauncherShortcutReader::LauncherShortcutReader(std::string currentDesktop, SettingsLookup settings,
                                               std::string kdeShortcutsFile)
    : currentDesktop_(std::move(currentDesktop)),
      settings_(std::move(settings)),
      kdeShortcutsFile_(std::move(kdeShortcutsFile))
{
}

std::unique_ptr<LauncherShortcutReader> LauncherShortcutReader::forCurrentSession()
{
    std::string configHome = environment("XDG_CONFIG_HOME");
    if (configHome.empty()) {
        configHome = environment("HOME") + "/.config";
    }
    return std::make_unique<LauncherShortcutReader>(environment("XDG_CURRENT_DESKTOP"), &readInstalledSetting,
                                                    configHome + "/kglobalshortcutsrc");
}

std::optional<std::vector<std::string>> LauncherShortcutReader::readInstalledSetting(const std::string& schema,
                                                                                     const std::string& key)
{
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    if (source == nullptr) {
        return std::nullopt;
    }
    GSettingsSchema* found = g_settings_schema_source_lookup(source, schema.c_str(), TRUE);
    if (found == nullptr) {
        return std::nullopt;
    }
    const bool hasKey = g_settings_schema_has_key(found, key.c_str()) != FALSE;
    std::optional<std::vector<std::string>> values;
    if (hasKey) {
        GObjectPtr<GSettings> settings(g_settings_new_full(found, nullptr, nullptr));
        GVariantPtr value(g_settings_get_value(settings.get(), key.c_str()));
        if (g_variant_is_of_type(value.get(), G_VARIANT_TYPE_STRING_ARRAY)) {
            values.emplace();
            gsize count = 0;
            const gchar** strings = g_variant_get_strv(value.get(), &count);
            values->assign(strings, strings + count);
            g_free(strings);
        } else if (g_variant_is_of_type(value.get(), G_VARIANT_TYPE_STRING)) {
            values = std::vector<std::string>{g_variant_get_string(value.get(), nullptr)};
        }
    }
    g_settings_schema_unref(found);
    return values;
}

std::optional<HotKeyChord> LauncherShortcutReader::gnomeChord()
{
    // The overview is GNOME's launcher; the older main-menu key opens it too.
    const std::pair<const char*, const char*> keys[] = {{"org.gnome.shell.keybindings", "toggle-overview"},
                                                        {"org.gnome.desktop.wm.keybindings", "panel-main-menu"}};
    for (const auto& [schema, key] : keys) {
        if (const auto accelerators = settings_(schema, key)) {
            for (const std::string& accelerator : *accelerators) {
                if (auto chord = parseGtkAccelerator(accelerator)) {
                    return chord;
                }
            }
        }
    }
    return std::nullopt;
}

std::optional<HotKeyChord> LauncherShortcutReader::kdeChord()
{
    GKeyFilePtr file(g_key_file_new());
    if (!g_key_file_load_from_file(file.get(), kdeShortcutsFile_.c_str(), G_KEY_FILE_NONE, nullptr)) {
        return std::nullopt;
    }
    // "_launch=Alt+Space\tAlt+F2\tSearch,default shortcuts,KRunner": the active
    // shortcuts come first, separated by tabs.
    for (const char* group : {"org.kde.krunner.desktop", "krunner"}) {
        GCharPtr value(g_key_file_get_string(file.get(), group, "_launch", nullptr));
        if (!value) {
            continue;
        }
        const std::string text(value.get());
        const std::string active = text.substr(0, text.find(','));
        std::size_t start = 0;
        while (start <= active.size()) {
            const std::size_t end = std::min(active.find('\t', start), active.size());
            if (auto chord = parseKdeShortcut(std::string_view(active).substr(start, end - start))) {
                return chord;
            }
            start = end + 1;
        }
    }
    return std::nullopt;
}

std::optional<HotKeyChord> LauncherShortcutReader::launcherChord()
{
    if (desktopListIncludes(currentDesktop_, "GNOME")) {
        return gnomeChord();
    }
    if (desktopListIncludes(currentDesktop_, "KDE")) {
        return kdeChord();
    }
    return std::nullopt;
}

std::optional<platform::PropertyValue> LauncherShortcutReader::copyAppValue(const std::string& key,
                                                                             const std::string& applicationID)
{
    if (key != hotKeysKey || applicationID != hotKeysDomain) {
        return std::nullopt;
    }
    const auto chord = launcherChord();
    if (!chord) {
        return std::nullopt;
    }
    using Dictionary = platform::PropertyValue::Dictionary;
    using Array = platform::PropertyValue::Array;
    const Array parameters = {{noCharacter}, {std::int64_t{chord->keyCode}}, {chord->modifierMask}};
    const Dictionary entry = {{"enabled", {true}}, {"value", {Dictionary{{"parameters", {parameters}}}}}};
    return platform::PropertyValue{Dictionary{{searchHotKeyIdentifier, {entry}}}};
}

}  // namespace quorvel::linux_backend
