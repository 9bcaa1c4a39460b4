#include "platform/linux/desktop/GnomeInputSources.h"

#include <string_view>

#include "platform/linux/GLibHandles.h"
#include "platform/linux/desktop/LauncherShortcutReader.h"

namespace quorvel::linux_backend {
namespace {

constexpr const char* schemaId = "org.gnome.desktop.input-sources";
constexpr std::string_view referencePrefix = "gnome:";

platform::InputSource sourceFor(const std::pair<std::string, std::string>& entry, bool selectable)
{
    const std::string identifier = entry.first + ":" + entry.second;
    return {std::string(referencePrefix) + identifier, identifier, true, selectable};
}

std::optional<HotKeyChord> installedSwitchChord()
{
    const auto accelerators = LauncherShortcutReader::readInstalledSetting("org.gnome.desktop.wm.keybindings",
                                                                           "switch-input-source");
    for (const std::string& accelerator : accelerators.value_or(std::vector<std::string>{})) {
        if (auto chord = parseGtkAccelerator(accelerator)) {
            return chord;
        }
    }
    return std::nullopt;
}

}  // namespace

GnomeInputSources::GnomeInputSources(SourcesLookup lookup, ChordLookup switchChord, platform::EventTap& eventTap)
    : lookup_(std::move(lookup)), switchChord_(std::move(switchChord)), eventTap_(eventTap)
{
}

std::unique_ptr<GnomeInputSources> GnomeInputSources::fromInstalledSettings(platform::EventTap& eventTap)
{
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    GSettingsSchema* schema = source ? g_settings_schema_source_lookup(source, schemaId, TRUE) : nullptr;
    if (schema == nullptr) {
        return nullptr;
    }
    g_settings_schema_unref(schema);
    return std::make_unique<GnomeInputSources>(
        [](const std::string& key) -> std::optional<std::vector<std::pair<std::string, std::string>>> {
            GSettingsSchemaSource* schemas = g_settings_schema_source_get_default();
            GSettingsSchema* found = g_settings_schema_source_lookup(schemas, schemaId, TRUE);
            if (found == nullptr) {
                return std::nullopt;
            }
            const bool hasKey = g_settings_schema_has_key(found, key.c_str()) != FALSE;
            std::optional<std::vector<std::pair<std::string, std::string>>> entries;
            if (hasKey) {
                GObjectPtr<GSettings> settings(g_settings_new_full(found, nullptr, nullptr));
                GVariantPtr value(g_settings_get_value(settings.get(), key.c_str()));
                if (g_variant_is_of_type(value.get(), G_VARIANT_TYPE("a(ss)"))) {
                    entries.emplace();
                    GVariantIter iterator;
                    g_variant_iter_init(&iterator, value.get());
                    const gchar* type = nullptr;
                    const gchar* id = nullptr;
                    while (g_variant_iter_next(&iterator, "(&s&s)", &type, &id)) {
                        entries->emplace_back(type, id);
                    }
                }
            }
            g_settings_schema_unref(found);
            return entries;
        },
        installedSwitchChord, eventTap);
}

std::optional<std::vector<platform::InputSource>> GnomeInputSources::keyboardInputSourceList(bool)
{
    const auto entries = lookup_("sources");
    if (!entries) {
        return std::nullopt;
    }
    const bool selectable = switchChord_().has_value();
    std::vector<platform::InputSource> sources;
    for (const auto& entry : *entries) {
        sources.push_back(sourceFor(entry, selectable));
    }
    return sources;
}

std::optional<platform::InputSource> GnomeInputSources::currentKeyboardInputSource()
{
    // The shell moves the source in use to the front of the recently used list.
    const auto recent = lookup_("mru-sources");
    if (recent && !recent->empty()) {
        return sourceFor(recent->front(), switchChord_().has_value());
    }
    const auto configured = lookup_("sources");
    if (configured && !configured->empty()) {
        return sourceFor(configured->front(), switchChord_().has_value());
    }
    return std::nullopt;
}

void GnomeInputSources::select(const platform::InputSource& source)
{
    const auto current = currentKeyboardInputSource();
    const auto chord = switchChord_();
    if (!source.reference.starts_with(referencePrefix) || !chord || (current && current->reference == source.reference)) {
        return;
    }
    const auto flags = static_cast<platform::EventFlags>(chord->modifierMask);
    for (const bool keyDown : {true, false}) {
        eventTap_.postKeyboardEvent(platform::EventSourceState::hidSystemState, platform::EventTapLocation::hidEventTap,
                                    {chord->keyCode, keyDown, flags});
    }
}

}  // namespace quorvel::linux_backend
