#include "platform/linux/desktop/Fcitx5InputSources.h"

#include <string_view>

namespace quorvel::linux_backend {
namespace {

constexpr std::string_view referencePrefix = "fcitx5:";

platform::InputSource sourceNamed(const std::string& name)
{
    return {std::string(referencePrefix) + name, name, true, true};
}

}  // namespace

Fcitx5InputSources::Fcitx5InputSources(DBusServiceProxy::Connector connector)
    : controller_(std::move(connector), "org.fcitx.Fcitx5", "/controller", "org.fcitx.Fcitx.Controller1")
{
}

std::optional<std::vector<platform::InputSource>> Fcitx5InputSources::keyboardInputSourceList(bool)
{
    const GVariantPtr group = controller_.call("CurrentInputMethodGroup", nullptr, "(s)");
    if (!group) {
        return std::nullopt;
    }
    const gchar* groupName = nullptr;
    g_variant_get(group.get(), "(&s)", &groupName);
    const GVariantPtr info = controller_.call("InputMethodGroupInfo", g_variant_new("(s)", groupName), "(sa(ss))");
    if (!info) {
        return std::nullopt;
    }
    GVariantIter* items = nullptr;
    g_variant_get(info.get(), "(&sa(ss))", nullptr, &items);
    std::vector<platform::InputSource> sources;
    const gchar* name = nullptr;
    while (g_variant_iter_next(items, "(&s&s)", &name, nullptr)) {
        sources.push_back(sourceNamed(name));
    }
    g_variant_iter_free(items);
    return sources;
}

std::optional<platform::InputSource> Fcitx5InputSources::currentKeyboardInputSource()
{
    const GVariantPtr current = controller_.call("CurrentInputMethod", nullptr, "(s)");
    if (!current) {
        return std::nullopt;
    }
    const gchar* name = nullptr;
    g_variant_get(current.get(), "(&s)", &name);
    if (*name == '\0') {
        return std::nullopt;
    }
    return sourceNamed(name);
}

void Fcitx5InputSources::select(const platform::InputSource& source)
{
    if (!source.reference.starts_with(referencePrefix)) {
        return;
    }
    const std::string name = source.reference.substr(referencePrefix.size());
    controller_.call("SetCurrentIM", g_variant_new("(s)", name.c_str()), "()");
}

}  // namespace quorvel::linux_backend
