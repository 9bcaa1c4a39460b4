#include "platform/linux/desktop/IbusInputSources.h"

#include <fstream>
#include <memory>
#include <string_view>
#include <vector>

namespace quorvel::linux_backend {
namespace {

constexpr std::string_view referencePrefix = "ibus:";

platform::InputSource engineNamed(const std::string& name)
{
    return {std::string(referencePrefix) + name, name, true, true};
}

std::string environment(const char* name)
{
    const char* value = g_getenv(name);
    return value != nullptr ? value : "";
}

std::string machineId()
{
    for (const char* path : {"/var/lib/dbus/machine-id", "/etc/machine-id"}) {
        std::ifstream file(path);
        std::string id;
        if (file >> id) {
            return id;
        }
    }
    return "machine-id";
}

// "<host>-<display number>" for an X display name "host:number.screen", as IBus names
// its address files; a local display's host is "unix".
std::string displayPart(const std::string& display)
{
    const std::size_t colon = display.find(':');
    std::string host = colon == std::string::npos ? display : display.substr(0, colon);
    std::string number = "0";
    if (colon != std::string::npos) {
        number = display.substr(colon + 1);
        number = number.substr(0, number.find('.'));
    }
    return (host.empty() ? "unix" : host) + "-" + number;
}

std::vector<std::string> addressFiles()
{
    if (const std::string named = environment("IBUS_ADDRESS_FILE"); !named.empty()) {
        return {named};
    }
    const std::string folder = std::string(g_get_user_config_dir()) + "/ibus/bus/" + machineId() + "-";
    std::vector<std::string> files;
    // Recent daemons of Wayland sessions name the file after the Wayland display.
    if (const std::string wayland = environment("WAYLAND_DISPLAY"); !wayland.empty()) {
        files.push_back(folder + "unix-" + wayland);
    }
    files.push_back(folder + displayPart(environment("DISPLAY")));
    return files;
}

std::optional<std::string> addressIn(const std::string& path)
{
    constexpr std::string_view key = "IBUS_ADDRESS=";
    std::ifstream file(path);
    std::string line;
    while (std::getline(file, line)) {
        if (line.starts_with(key) && line.size() > key.size()) {
            return line.substr(key.size());
        }
    }
    return std::nullopt;
}

}  // namespace

IbusInputSources::IbusInputSources(DBusServiceProxy::Connector connector)
    : daemon_(std::move(connector), "org.freedesktop.IBus", "/org/freedesktop/IBus", "org.freedesktop.IBus")
{
}

std::unique_ptr<IbusInputSources> IbusInputSources::forCurrentSession()
{
    return std::make_unique<IbusInputSources>([]() -> GObjectPtr<GDBusConnection> {
        const auto address = busAddress();
        return address ? DBusServiceProxy::busAt(*address) : nullptr;
    });
}

std::optional<std::string> IbusInputSources::busAddress()
{
    if (std::string address = environment("IBUS_ADDRESS"); !address.empty()) {
        return address;
    }
    for (const std::string& file : addressFiles()) {
        if (auto address = addressIn(file)) {
            return address;
        }
    }
    return std::nullopt;
}

std::optional<std::vector<platform::InputSource>> IbusInputSources::keyboardInputSourceList(bool)
{
    const GVariantPtr engines = daemon_.property("PreloadEngines");
    if (!engines || !g_variant_is_of_type(engines.get(), G_VARIANT_TYPE_STRING_ARRAY)) {
        return std::nullopt;
    }
    std::vector<platform::InputSource> sources;
    GVariantIter iterator;
    g_variant_iter_init(&iterator, engines.get());
    const gchar* name = nullptr;
    while (g_variant_iter_next(&iterator, "&s", &name)) {
        sources.push_back(engineNamed(name));
    }
    return sources;
}

std::optional<platform::InputSource> IbusInputSources::currentKeyboardInputSource()
{
    // An engine description is serialised as ("IBusEngineDesc", attachments, name, ...).
    const GVariantPtr reply = daemon_.call("GetGlobalEngine", nullptr, "(v)");
    if (!reply) {
        return std::nullopt;
    }
    const GVariantPtr boxed(g_variant_get_child_value(reply.get(), 0));
    const GVariantPtr description(g_variant_get_variant(boxed.get()));
    if (!g_variant_is_of_type(description.get(), G_VARIANT_TYPE_TUPLE) || g_variant_n_children(description.get()) < 3) {
        return std::nullopt;
    }
    const GVariantPtr typeName(g_variant_get_child_value(description.get(), 0));
    const GVariantPtr name(g_variant_get_child_value(description.get(), 2));
    if (!g_variant_is_of_type(typeName.get(), G_VARIANT_TYPE_STRING) ||
        std::string_view(g_variant_get_string(typeName.get(), nullptr)) != "IBusEngineDesc" ||
        !g_variant_is_of_type(name.get(), G_VARIANT_TYPE_STRING)) {
        return std::nullopt;
    }
    return engineNamed(g_variant_get_string(name.get(), nullptr));
}

void IbusInputSources::select(const platform::InputSource& source)
{
    if (!source.reference.starts_with(referencePrefix)) {
        return;
    }
    const std::string name = source.reference.substr(referencePrefix.size());
    daemon_.call("SetGlobalEngine", g_variant_new("(s)", name.c_str()), "()");
}

}  // namespace quorvel::linux_backend
