#include "platform/linux/desktop/KdeKeyboardLayouts.h"

#include <algorithm>
#include <charconv>
#include <string_view>

namespace quorvel::linux_backend {
namespace {

constexpr std::string_view referencePrefix = "kde-layout:";

// "kde-layout:<position>" with the short name ("us", "de") as identifier, qualified by
// the position when the list holds it twice.
std::vector<platform::InputSource> sourcesOf(const std::vector<std::string>& shortNames)
{
    std::vector<platform::InputSource> sources;
    for (std::size_t position = 0; position < shortNames.size(); ++position) {
        std::string identifier = "xkb:" + shortNames[position];
        if (std::count(shortNames.begin(), shortNames.end(), shortNames[position]) > 1) {
            identifier += "#" + std::to_string(position);
        }
        sources.push_back({std::string(referencePrefix) + std::to_string(position), identifier, true, true});
    }
    return sources;
}

}  // namespace

KdeKeyboardLayouts::KdeKeyboardLayouts(DBusServiceProxy::Connector connector)
    : layouts_(std::move(connector), "org.kde.keyboard", "/Layouts", "org.kde.KeyboardLayouts")
{
}

std::optional<std::vector<platform::InputSource>> KdeKeyboardLayouts::keyboardInputSourceList(bool)
{
    // Plasma lists (short name, display name, long name); later versions may add fields.
    const GVariantPtr reply = layouts_.call("getLayoutsList", nullptr, nullptr);
    if (!reply || g_variant_n_children(reply.get()) != 1) {
        return std::nullopt;
    }
    const GVariantPtr list(g_variant_get_child_value(reply.get(), 0));
    if (!g_variant_is_of_type(list.get(), G_VARIANT_TYPE("a*"))) {
        return std::nullopt;
    }
    std::vector<std::string> shortNames;
    for (gsize index = 0; index < g_variant_n_children(list.get()); ++index) {
        const GVariantPtr layout(g_variant_get_child_value(list.get(), index));
        if (!g_variant_is_container(layout.get()) || g_variant_n_children(layout.get()) == 0) {
            return std::nullopt;
        }
        const GVariantPtr name(g_variant_get_child_value(layout.get(), 0));
        if (!g_variant_is_of_type(name.get(), G_VARIANT_TYPE_STRING)) {
            return std::nullopt;
        }
        shortNames.emplace_back(g_variant_get_string(name.get(), nullptr));
    }
    return sourcesOf(shortNames);
}

std::optional<platform::InputSource> KdeKeyboardLayouts::currentKeyboardInputSource()
{
    const GVariantPtr current = layouts_.call("getLayout", nullptr, "(u)");
    const auto sources = keyboardInputSourceList(false);
    if (!current || !sources) {
        return std::nullopt;
    }
    guint32 position = 0;
    g_variant_get(current.get(), "(u)", &position);
    if (position >= sources->size()) {
        return std::nullopt;
    }
    return (*sources)[position];
}

void KdeKeyboardLayouts::select(const platform::InputSource& source)
{
    if (!source.reference.starts_with(referencePrefix)) {
        return;
    }
    const std::string_view digits = std::string_view(source.reference).substr(referencePrefix.size());
    guint32 position = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), position);
    if (error != std::errc() || end != digits.data() + digits.size()) {
        return;
    }
    layouts_.call("setLayout", g_variant_new("(u)", position), "(b)");
}

}  // namespace quorvel::linux_backend
