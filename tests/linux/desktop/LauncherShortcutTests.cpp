// The desktop's launcher shortcut as the symbolic hot key preference: accelerator
// texts of GNOME and KDE, the desktop that decides where to look, the installed
// settings, and the preference shape handed to the portable reader.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/linux/desktop/LauncherShortcutReader.h"

namespace quorvel::linux_backend {
namespace {

namespace fs = std::filesystem;

constexpr std::int64_t shift = 0x20000;
constexpr std::int64_t control = 0x40000;
constexpr std::int64_t option = 0x80000;
constexpr std::int64_t command = 0x100000;

// GSettings reads its schemas once per process: a compiled test schema and the
// in-memory backend are in place before any test runs.
class SchemaDirectory {
public:
    SchemaDirectory()
    {
        std::string pattern = (fs::temp_directory_path() / "quorvel-schemas-XXXXXX").string();
        path = ::mkdtemp(pattern.data());
        std::ofstream(path + "/org.gnome.shell.keybindings.gschema.xml")
            << "<schemalist><schema id='org.gnome.shell.keybindings' path='/org/gnome/shell/keybindings/'>"
               "<key name='toggle-overview' type='as'><default>['&lt;Super&gt;s']</default></key>"
               "</schema></schemalist>";
        compiled = std::system(("glib-compile-schemas " + path + " 2>/dev/null").c_str()) == 0;
        ::setenv("GSETTINGS_SCHEMA_DIR", path.c_str(), 1);
        ::setenv("GSETTINGS_BACKEND", "memory", 1);
        ::setenv("XDG_DATA_DIRS", path.c_str(), 1);  // no system schemas
    }
    ~SchemaDirectory() { fs::remove_all(path); }
    std::string path;
    bool compiled = false;
};
const SchemaDirectory schemas;

TEST(KeyboardShortcutText, GtkAcceleratorsBecomeReferenceChords)
{
    EXPECT_EQ(parseGtkAccelerator("<Super>s"), (HotKeyChord{1, command}));
    EXPECT_EQ(parseGtkAccelerator("<Alt>F1"), (HotKeyChord{122, option}));
    EXPECT_EQ(parseGtkAccelerator("<Primary><Shift>space"), (HotKeyChord{49, control | shift}));
    EXPECT_EQ(parseGtkAccelerator("<control><mod1>Page_Down"), (HotKeyChord{121, control | option}));
    EXPECT_EQ(parseGtkAccelerator("<Super>S"), (HotKeyChord{1, command}));
    EXPECT_EQ(parseGtkAccelerator("F12"), (HotKeyChord{111, 0}));
}

TEST(KeyboardShortcutText, GtkAcceleratorsWithoutAnEquivalentGiveNothing)
{
    EXPECT_EQ(parseGtkAccelerator(""), std::nullopt);
    EXPECT_EQ(parseGtkAccelerator("disabled"), std::nullopt);
    EXPECT_EQ(parseGtkAccelerator("<Super>"), std::nullopt);
    EXPECT_EQ(parseGtkAccelerator("<Hyper>s"), std::nullopt);
    EXPECT_EQ(parseGtkAccelerator("<Super>XF86Search"), std::nullopt);
    EXPECT_EQ(parseGtkAccelerator("<Super s"), std::nullopt);
}

TEST(KeyboardShortcutText, KdeShortcutsBecomeReferenceChords)
{
    EXPECT_EQ(parseKdeShortcut("Alt+Space"), (HotKeyChord{49, option}));
    EXPECT_EQ(parseKdeShortcut("Meta+Ctrl+Shift+K"), (HotKeyChord{40, command | control | shift}));
    EXPECT_EQ(parseKdeShortcut("Alt+F2"), (HotKeyChord{120, option}));
    EXPECT_EQ(parseKdeShortcut("Search"), std::nullopt);
    EXPECT_EQ(parseKdeShortcut("Ctrl++"), std::nullopt);
    EXPECT_EQ(parseKdeShortcut("none"), std::nullopt);
}

LauncherShortcutReader::SettingsLookup settingsWith(std::map<std::string, std::vector<std::string>> values)
{
    return [values](const std::string& schema, const std::string& key) -> std::optional<std::vector<std::string>> {
        const auto found = values.find(schema + " " + key);
        return found != values.end() ? std::optional(found->second) : std::nullopt;
    };
}

TEST(LauncherShortcutReader, GnomeUsesTheOverviewShortcutThenTheMainMenuOne)
{
    LauncherShortcutReader overview("ubuntu:GNOME",
                                    settingsWith({{"org.gnome.shell.keybindings toggle-overview", {"<Super>s"}},
                                                  {"org.gnome.desktop.wm.keybindings panel-main-menu", {"<Alt>F1"}}}),
                                    "/nonexistent");
    EXPECT_EQ(overview.launcherChord(), (HotKeyChord{1, command}));

    LauncherShortcutReader menu("GNOME",
                                settingsWith({{"org.gnome.shell.keybindings toggle-overview", {}},
                                              {"org.gnome.desktop.wm.keybindings panel-main-menu", {"<Alt>F1"}}}),
                                "/nonexistent");
    EXPECT_EQ(menu.launcherChord(), (HotKeyChord{122, option}));

    LauncherShortcutReader otherDesktop(
        "XFCE", settingsWith({{"org.gnome.shell.keybindings toggle-overview", {"<Super>s"}}}), "/nonexistent");
    EXPECT_EQ(otherDesktop.launcherChord(), std::nullopt);
}

TEST(LauncherShortcutReader, KdeUsesTheFirstUsableKRunnerShortcut)
{
    const fs::path file = fs::path(schemas.path) / "kglobalshortcutsrc";
    std::ofstream(file) << "[kwin]\nExpose=Ctrl+F9,Ctrl+F9,Toggle\n\n"
                           "[org.kde.krunner.desktop]\n_k_friendly_name=KRunner\n"
                           "_launch=Search\\tMeta+Space\\tAlt+F2,Alt+Space\\tAlt+F2\\tSearch,KRunner\n";
    LauncherShortcutReader reader("KDE", settingsWith({}), file.string());
    EXPECT_EQ(reader.launcherChord(), (HotKeyChord{49, command}));

    LauncherShortcutReader missing("KDE", settingsWith({}), (fs::path(schemas.path) / "none").string());
    EXPECT_EQ(missing.launcherChord(), std::nullopt);
}

TEST(LauncherShortcutReader, AnswersOnlyTheSymbolicHotKeyPreference)
{
    LauncherShortcutReader reader("GNOME", settingsWith({{"org.gnome.shell.keybindings toggle-overview", {"<Super>s"}}}),
                                  "/nonexistent");
    using Dictionary = platform::PropertyValue::Dictionary;
    using Array = platform::PropertyValue::Array;
    const platform::PropertyValue expected{Dictionary{
        {"64", {Dictionary{{"enabled", {true}},
                           {"value", {Dictionary{{"parameters", {Array{{std::int64_t{65535}}, {std::int64_t{1}},
                                                                      {std::int64_t{command}}}}}}}}}}}}};
    EXPECT_EQ(reader.copyAppValue("AppleSymbolicHotKeys", "com.apple.symbolichotkeys"), expected);
    EXPECT_EQ(reader.copyAppValue("AppleSymbolicHotKeys", "com.example.other"), std::nullopt);
    EXPECT_EQ(reader.copyAppValue("OtherKey", "com.apple.symbolichotkeys"), std::nullopt);
}

TEST(LauncherShortcutReader, ReadsInstalledSettings)
{
    ASSERT_TRUE(schemas.compiled) << "glib-compile-schemas failed";
    EXPECT_EQ(LauncherShortcutReader::readInstalledSetting("org.gnome.shell.keybindings", "toggle-overview"),
              (std::vector<std::string>{"<Super>s"}));
    EXPECT_EQ(LauncherShortcutReader::readInstalledSetting("org.gnome.shell.keybindings", "no-such-key"), std::nullopt);
    EXPECT_EQ(LauncherShortcutReader::readInstalledSetting("org.gnome.desktop.wm.keybindings", "panel-main-menu"),
              std::nullopt);
}

}  // namespace
}  // namespace quorvel::linux_backend
