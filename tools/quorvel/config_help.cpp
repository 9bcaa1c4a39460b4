// The help of `quorvel config` and of each of its sub-commands.
#include <cstring>
#include <string>

#include "tools/quorvel/ConfigCommands.h"

namespace quorvel::tool::config {

namespace {

struct SubCommandHelp {
    const char* name;
    const char* usage;        // the line(s) after "quorvel config "
    const char* description;  // for `quorvel config NAME --help`
};

// clang-format off
constexpr SubCommandHelp subCommands[] = {
    {"show", "show [--json]",
     "Shows the configuration in force: whether corner taps are on, the five tuning values, and\n"
     "each corner's double- and triple-tap action, with whether it is switched on. Says so when\n"
     "the default configuration is in force because there is no file or the file cannot be used,\n"
     "and why. --json prints the configuration in force as the agent normalises it, as JSON.\n"},
    {"check", "check [FILE]",
     "Reads FILE (default: the agent's configuration file) exactly as the agent does. When the\n"
     "agent can use it, warns about values that are legal but surely not meant (tuning that breaks\n"
     "recognition, a corner listed twice, an application or shortcut this machine does not have)\n"
     "and exits 0. Otherwise says where and why it fails and exits 1: the agent would then run with\n"
     "the default configuration. With no configuration file at all it says that the default\n"
     "(no actions) applies and exits 0.\n"},
    {"path", "path", "Prints the path of the agent's configuration file.\n"},
    {"init", "init",
     "Writes a starter configuration file (corner taps on, the default tuning, the four corners\n"
     "without actions) where there is none. Never replaces a file.\n"},
    {"set", "set CORNER SLOT KIND [ARGUMENT] [--force]",
     "Puts an action in a corner's double- or triple-tap slot, switched on. An action already in\n"
     "the slot keeps its id. Arguments are checked before anything is written.\n"},
    {"unset", "unset CORNER SLOT [--force]", "Removes the action from a corner's slot.\n"},
    {"enable", "enable [CORNER SLOT] [--force]",
     "Switches corner taps on; with CORNER SLOT, switches that one action on.\n"},
    {"disable", "disable [CORNER SLOT] [--force]",
     "Switches corner taps off (the agent stops reading the touchpad); with CORNER SLOT, switches\n"
     "that one action off: the agent ignores it, and the file keeps it for `enable`.\n"},
    {"tune", "tune NAME VALUE [--force] | tune --reset [--force]",
     "Sets one of the recogniser's five settings, or all of them back to the defaults:\n"
     "  cornerZone          depth of each corner zone, a fraction of the pad (default 0.3)\n"
     "  doubleTapWindow     longest time between the first and second tap, s (default 0.45)\n"
     "  tripleTapWindow     longest time between the second and third tap, and how long a double\n"
     "                      tap waits where a triple-tap action exists, s (default 0.2)\n"
     "  maximumTapDuration  longest touch that still counts as a tap, s (default 0.28)\n"
     "  maximumTapTravel    farthest a tap may move, a fraction of the pad (default 0.08)\n"},
    {"edit", "edit",
     "Opens a copy of the configuration in $VISUAL, else $EDITOR, else `editor` or vi. When the\n"
     "editor exits, the copy is checked; if it fails, you see where and why and choose to edit\n"
     "again or discard it. Only a copy that passes replaces the configuration.\n"},
};

constexpr const char* vocabulary =
    "CORNER  topLeft, topRight, bottomLeft, bottomRight\n"
    "SLOT    doubleTap, tripleTap\n"
    "KIND [ARGUMENT]\n"
    "  openApp APP          an installed application by desktop-file ID (firefox-esr) or name (Firefox)\n"
    "  openURL URL          opened with your default handler; without \"://\" it is an https address\n"
    "  switchApps           back to the previous application\n"
    "  showAppSwitcher      the desktop's application switcher\n"
    "  nextInputSource      the next keyboard layout\n"
    "  showSpotlightSearch  the desktop's search launcher\n"
    "  media COMMAND        playPause, nextTrack, previousTrack, mute, volumeUp, volumeDown\n"
    "  mute                 the same as media mute\n"
    "  textSnippet TEXT     pasted; or --file FILE, or - for standard input (one final line\n"
    "                       break is dropped); put -- before a text that starts with -\n"
    "  runShortcut NAME     runs the executable NAME in the shortcuts folder\n";

constexpr const char* examples =
    "Examples:\n"
    "  quorvel config set topLeft doubleTap openApp Firefox\n"
    "  quorvel config set topRight doubleTap media playPause\n"
    "  quorvel config set bottomLeft tripleTap textSnippet --file ~/signature.txt\n"
    "  quorvel config set bottomRight doubleTap runShortcut backup\n"
    "  quorvel config disable topLeft doubleTap\n"
    "  quorvel config tune doubleTapWindow 0.5\n";

constexpr const char* writing =
    "Every change is written in one step (the agent never sees half a file), keeps whatever else\n"
    "the file holds, and is refused when the file does not pass `check`; --force then starts again\n"
    "from the default configuration after keeping a copy of the file beside it.\n"
    "\n"
    "Exit status: 0 done, 1 failed or refused (nothing written), 2 wrong command line.\n";
// clang-format on

}  // namespace

void printUsage(const std::string& subCommand, std::FILE* out)
{
    for (const SubCommandHelp& help : subCommands) {
        if (subCommand != help.name) continue;
        std::fprintf(out, "Usage: quorvel config %s\nRun `quorvel config %s --help` for more.\n", help.usage,
                     help.name);
        return;
    }
    std::fprintf(out, "Usage: quorvel config <sub-command> [arguments]\nRun `quorvel config --help` for more.\n");
}

void printHelp(const std::string& subCommand, std::FILE* out)
{
    for (const SubCommandHelp& help : subCommands) {
        if (subCommand != help.name) continue;
        std::fprintf(out, "Usage: quorvel config %s\n\n%s", help.usage, help.description);
        const bool edits = std::strstr(help.usage, "--force") != nullptr;
        if (edits) std::fprintf(out, "\n%s", vocabulary);
        if (subCommand == "set") std::fprintf(out, "\n%s", examples);
        if (edits) std::fprintf(out, "\n%s", writing);
        return;
    }
    std::fprintf(out,
                 "Usage: quorvel config <sub-command> [arguments]\n"
                 "\n"
                 "Shows, checks and edits the agent's configuration file (see `quorvel config path`).\n"
                 "\n"
                 "Sub-commands:\n");
    for (const SubCommandHelp& help : subCommands) std::fprintf(out, "  %s\n", help.usage);
    std::fprintf(out, "\n%s\n%s\n%s\nRun `quorvel config <sub-command> --help` for more.\n", vocabulary, examples,
                 writing);
}

}  // namespace quorvel::tool::config
