#include "tools/inspection/UserUnit.h"

#include <cstdlib>
#include <sstream>
#include <string_view>
#include <system_error>

#include "platform/linux/GLibHandles.h"

namespace quorvel::inspection {

namespace fs = std::filesystem;

namespace {

std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

// An XDG base folder: the variable's absolute path, else HOME/`fallback`; empty when neither.
fs::path baseFolder(const char* variable, const char* fallback)
{
    const std::string value = environment(variable);
    if (!value.empty() && value.front() == '/') return value;
    const std::string home = environment("HOME");
    return home.empty() ? fs::path() : fs::path(home) / fallback;
}

std::vector<fs::path> folderList(const char* variable, const char* fallback)
{
    std::string value = environment(variable);
    if (value.empty()) value = fallback;
    std::vector<fs::path> folders;
    std::istringstream in(value);
    for (std::string folder; std::getline(in, folder, ':');) {
        if (!folder.empty() && folder.front() == '/') folders.emplace_back(folder);
    }
    return folders;
}

bool masks(const fs::path& entry)
{
    std::error_code error;
    if (fs::is_symlink(entry, error) && fs::read_symlink(entry, error) == "/dev/null") return true;
    return fs::is_regular_file(entry, error) && fs::file_size(entry, error) == 0;
}

bool linkedFromWants(const std::vector<fs::path>& folders, const std::string& unit)
{
    for (const fs::path& folder : folders) {
        std::error_code error;
        for (const auto& entry : fs::directory_iterator(folder, error)) {
            const std::string name = entry.path().filename().string();
            const bool wants = name.ends_with(".wants") || name.ends_with(".requires");
            std::error_code ignored;
            if (wants && fs::exists(fs::symlink_status(entry.path() / unit, ignored))) return true;
        }
    }
    return false;
}

}  // namespace

std::vector<fs::path> userUnitFolders()
{
    std::vector<fs::path> folders;
    const auto add = [&folders](const fs::path& folder) {
        if (!folder.empty()) folders.push_back(folder / "systemd/user");
    };
    add(baseFolder("XDG_CONFIG_HOME", ".config"));
    for (const auto& folder : folderList("XDG_CONFIG_DIRS", "/etc/xdg")) add(folder);
    folders.emplace_back("/etc/systemd/user");
    if (const std::string runtime = environment("XDG_RUNTIME_DIR"); !runtime.empty()) add(runtime);
    folders.emplace_back("/run/systemd/user");
    add(baseFolder("XDG_DATA_HOME", ".local/share"));
    for (const auto& folder : folderList("XDG_DATA_DIRS", "/usr/local/share:/usr/share")) add(folder);
    for (const char* folder : {"/usr/local/lib/systemd/user", "/usr/lib/systemd/user", "/lib/systemd/user"}) {
        folders.emplace_back(folder);
    }
    return folders;
}

UnitState unitStateFromFolders(const std::vector<fs::path>& folders, const std::string& unit)
{
    UnitState state;
    state.installation = UnitState::Installation::notInstalled;
    for (const fs::path& folder : folders) {
        const fs::path entry = folder / unit;
        std::error_code error;
        if (masks(entry)) {
            state.installation = UnitState::Installation::masked;
            state.file = entry;
            return state;
        }
        if (fs::exists(entry, error)) {
            state.installation = UnitState::Installation::installed;
            state.file = entry;
            break;
        }
        if (error && error != std::errc::no_such_file_or_directory) {
            return {UnitState::Installation::cannotTell, false, {}, folder.string() + ": " + error.message()};
        }
    }
    state.enabled = state.installation == UnitState::Installation::installed && linkedFromWants(folders, unit);
    return state;
}

std::optional<UnitState> unitStateFromManager(GDBusConnection* bus, const std::string& unit)
{
    if (bus == nullptr) return std::nullopt;
    GError* rawError = nullptr;
    const linux_backend::GVariantPtr reply(g_dbus_connection_call_sync(
        bus, "org.freedesktop.systemd1", "/org/freedesktop/systemd1", "org.freedesktop.systemd1.Manager",
        "GetUnitFileState", g_variant_new("(s)", unit.c_str()), G_VARIANT_TYPE("(s)"),
        G_DBUS_CALL_FLAGS_NO_AUTO_START, 2000, nullptr, &rawError));
    const linux_backend::GErrorPtr error(rawError);
    UnitState state;
    if (!reply) {
        const linux_backend::GCharPtr remote(error ? g_dbus_error_get_remote_error(error.get()) : nullptr);
        const std::string_view name = remote ? remote.get() : "";
        if (name != "org.freedesktop.DBus.Error.FileNotFound" && name != "org.freedesktop.systemd1.NoSuchUnit") {
            return std::nullopt;  // no manager there, or it cannot say
        }
        state.installation = UnitState::Installation::notInstalled;
        return state;
    }
    const gchar* answer = nullptr;
    g_variant_get(reply.get(), "(&s)", &answer);
    const std::string_view value = answer;
    if (value.starts_with("masked")) {
        state.installation = UnitState::Installation::masked;
    } else if (value == "bad") {
        state.installation = UnitState::Installation::cannotTell;
        state.why = "the service manager cannot read the unit file";
    } else {
        state.installation = UnitState::Installation::installed;
        state.enabled = value.starts_with("enabled");
    }
    return state;
}

UnitState agentUnitState(GDBusConnection* bus)
{
    UnitState fromFolders = unitStateFromFolders(userUnitFolders(), agentUnitName);
    auto fromManager = unitStateFromManager(bus, agentUnitName);
    if (!fromManager) return fromFolders;
    fromManager->file = fromFolders.file;
    return *fromManager;
}

std::string describeUnitState(const UnitState& state)
{
    const std::string unit = agentUnitName;
    switch (state.installation) {
    case UnitState::Installation::installed:
        if (state.enabled) {
            return "The user unit " + unit +
                   " is installed and enabled; start the agent with: systemctl --user start " + unit;
        }
        return "The user unit " + unit +
               " is installed but not enabled; start the agent now and with every session with: "
               "systemctl --user enable --now " + unit;
    case UnitState::Installation::masked:
        return "The user unit " + unit + " is masked; unmask it with: systemctl --user unmask " + unit;
    case UnitState::Installation::notInstalled:
        return "The user unit " + unit +
               " is not installed; install Quorvel with its unit, or start quorvel-helper from your desktop's "
               "autostart";
    case UnitState::Installation::cannotTell: break;
    }
    return "Whether the user unit " + unit + " is installed cannot be told: " + state.why;
}

}  // namespace quorvel::inspection
