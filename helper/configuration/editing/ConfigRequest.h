#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include <QuorvelCore.h>

namespace quorvel::editing {

// One action slot: a corner and its double- or triple-tap action.
struct ActionPlace {
    TrackpadCorner corner = TrackpadCorner::topLeft;
    TapPattern slot = TapPattern::doubleTap;
    friend bool operator==(const ActionPlace&, const ActionPlace&) = default;
};

// "doubleTap" or "tripleTap", the slot's JSON name.
std::string slotName(TapPattern slot);
// "topLeft doubleTap".
std::string placeName(const ActionPlace& place);

// Where a snippet's text comes from.
enum class TextSource { argument, file, standardInput };

// `set CORNER SLOT KIND [ARGUMENT]`. `argument` is the application, URL, media command, text,
// text file or shortcut name, as the kind needs; empty for kinds without one.
struct SetAction {
    ActionPlace place;
    std::string kind;
    std::string argument;
    TextSource textSource = TextSource::argument;
    friend bool operator==(const SetAction&, const SetAction&) = default;
};
struct UnsetAction {
    ActionPlace place;
    friend bool operator==(const UnsetAction&, const UnsetAction&) = default;
};
struct SwitchMaster {
    bool on = true;
    friend bool operator==(const SwitchMaster&, const SwitchMaster&) = default;
};
struct SwitchAction {
    ActionPlace place;
    bool on = true;
    friend bool operator==(const SwitchAction&, const SwitchAction&) = default;
};
struct Tune {
    std::string name;  // one of tuningNames
    double value = 0;  // finite
    friend bool operator==(const Tune&, const Tune&) = default;
};
struct ResetTuning {
    friend bool operator==(const ResetTuning&, const ResetTuning&) = default;
};

using Edit = std::variant<SetAction, UnsetAction, SwitchMaster, SwitchAction, Tune, ResetTuning>;

// A change to the file. `force`: start again from the default when the file is unusable.
struct EditRequest {
    Edit edit;
    bool force = false;
    friend bool operator==(const EditRequest&, const EditRequest&) = default;
};

struct Show {
    bool json = false;
    friend bool operator==(const Show&, const Show&) = default;
};
struct Check {
    std::optional<std::string> file;
    friend bool operator==(const Check&, const Check&) = default;
};
struct ShowPath {
    friend bool operator==(const ShowPath&, const ShowPath&) = default;
};
struct Init {
    friend bool operator==(const Init&, const Init&) = default;
};
struct EditInEditor {
    friend bool operator==(const EditInEditor&, const EditInEditor&) = default;
};
// `--help` anywhere, for a sub-command or (empty) for `quorvel config` itself.
struct Help {
    std::string subCommand;
    friend bool operator==(const Help&, const Help&) = default;
};
// The command line is wrong: what to say, and whose usage to show (empty: all).
struct UsageError {
    std::string message;
    std::string subCommand;
    friend bool operator==(const UsageError&, const UsageError&) = default;
};

using ConfigCommand = std::variant<Show, Check, ShowPath, Init, EditInEditor, EditRequest, Help, UsageError>;

// The five recogniser settings `tune` takes, in the file's order.
inline constexpr const char* tuningNames[] = {"cornerZone", "doubleTapWindow", "tripleTapWindow",
                                              "maximumTapDuration", "maximumTapTravel"};

// The words after `quorvel config`. Everything that needs no look-up on the machine is
// checked here: corners, slots, kinds, media commands, tuning names and numbers, counts.
ConfigCommand parseConfigCommand(const std::vector<std::string>& words);

}  // namespace quorvel::editing
