#include "helper/configuration/editing/ConfigRequest.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <iterator>
#include <string_view>

#include "helper/configuration/ActionKind.h"
#include "helper/configuration/MediaCommand.h"

namespace quorvel::editing {

std::string slotName(TapPattern slot) { return slot == TapPattern::doubleTap ? "doubleTap" : "tripleTap"; }

std::string placeName(const ActionPlace& place)
{
    return std::string(place.corner.rawValue()) + " " + slotName(place.slot);
}

namespace {

// Thrown inside this file only, for the first thing wrong with the command line.
struct Wrong {
    std::string message;
};

template <class Names>
std::string listed(const Names& names)
{
    std::string text;
    for (const auto& name : names) text += (text.empty() ? "" : ", ") + std::string(name);
    return text;
}

bool kindTakesArgument(std::string_view kind)
{
    return kind == "openApp" || kind == "openURL" || kind == "media" || kind == "textSnippet" ||
           kind == "runShortcut";
}

// The words of one sub-command, options taken out.
struct Words {
    std::vector<std::string> positional;
    std::vector<std::string> options;
    std::optional<std::string> file;  // --file F
    bool help = false;
};

Words splitWords(const std::vector<std::string>& words)
{
    Words split;
    bool optionsEnded = false;
    for (std::size_t i = 1; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (optionsEnded || word == "-" || !word.starts_with("-")) {
            split.positional.push_back(word);
        } else if (word == "--") {
            optionsEnded = true;
        } else if (word == "--help" || word == "-h") {
            split.help = true;
        } else if (word == "--file") {
            if (i + 1 == words.size()) throw Wrong{"--file needs a file name"};
            split.file = words[++i];
        } else if (word.starts_with("--") || word.size() == 1 || !std::isdigit(static_cast<unsigned char>(word[1]))) {
            split.options.push_back(word);
        } else {
            split.positional.push_back(word);  // a negative number
        }
    }
    return split;
}

void allowOptions(const Words& words, std::initializer_list<std::string_view> allowed)
{
    for (const std::string& option : words.options) {
        if (std::find(allowed.begin(), allowed.end(), option) == allowed.end())
            throw Wrong{"unknown option '" + option + "'"};
    }
    if (words.file && std::find(allowed.begin(), allowed.end(), "--file") == allowed.end())
        throw Wrong{"unknown option '--file'"};
}

bool has(const Words& words, std::string_view option)
{
    return std::find(words.options.begin(), words.options.end(), option) != words.options.end();
}

void expectCount(const Words& words, std::size_t least, std::size_t most)
{
    if (words.positional.size() < least) throw Wrong{"missing arguments"};
    if (words.positional.size() > most) throw Wrong{"unexpected argument '" + words.positional[most] + "'"};
}

ActionPlace place(const std::string& corner, const std::string& slot)
{
    const auto parsedCorner = TrackpadCorner::fromRawValue(corner);
    if (!parsedCorner) throw Wrong{"unknown corner '" + corner + "' (topLeft, topRight, bottomLeft or bottomRight)"};
    if (slot != "doubleTap" && slot != "tripleTap") throw Wrong{"unknown slot '" + slot + "' (doubleTap or tripleTap)"};
    return ActionPlace{*parsedCorner, slot == "doubleTap" ? TapPattern::doubleTap : TapPattern::tripleTap};
}

SetAction setAction(const Words& words)
{
    if (words.positional.size() < 3) throw Wrong{"missing arguments"};
    SetAction set{place(words.positional[0], words.positional[1]), words.positional[2], {}, TextSource::argument};
    if (std::find(std::begin(ActionKind::caseNames), std::end(ActionKind::caseNames), set.kind) ==
        std::end(ActionKind::caseNames))
        throw Wrong{"unknown action kind '" + set.kind + "' (" + listed(ActionKind::caseNames) + ")"};
    if (words.file && set.kind != "textSnippet") throw Wrong{"--file is for textSnippet only"};
    if (words.file) {
        expectCount(words, 3, 3);
        set.argument = *words.file;
        set.textSource = TextSource::file;
        return set;
    }
    if (!kindTakesArgument(set.kind)) {
        expectCount(words, 3, 3);
        return set;
    }
    if (words.positional.size() < 4) throw Wrong{set.kind + " needs an argument"};
    expectCount(words, 4, 4);
    set.argument = words.positional[3];
    if (set.kind == "textSnippet" && set.argument == "-") set.textSource = TextSource::standardInput;
    if (set.kind == "media" && !MediaCommand::fromRawValue(set.argument)) {
        std::vector<std::string_view> commands;
        for (MediaCommand command : MediaCommand::allCases()) commands.push_back(command.rawValue());
        throw Wrong{"unknown media command '" + set.argument + "' (" + listed(commands) + ")"};
    }
    return set;
}

Edit tune(const Words& words)
{
    if (has(words, "--reset")) {
        expectCount(words, 0, 0);
        return ResetTuning{};
    }
    expectCount(words, 2, 2);
    const std::string& name = words.positional[0];
    if (std::find(std::begin(tuningNames), std::end(tuningNames), name) == std::end(tuningNames))
        throw Wrong{"unknown setting '" + name + "' (" + listed(tuningNames) + ")"};
    const std::string& text = words.positional[1];
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        throw Wrong{"'" + text + "' is not a finite number"};
    return Tune{name, value};
}

ConfigCommand parse(const std::vector<std::string>& words)
{
    const std::string& sub = words[0];
    const Words split = splitWords(words);
    if (split.help) return Help{sub};
    if (sub == "show") {
        allowOptions(split, {"--json"});
        expectCount(split, 0, 0);
        return Show{has(split, "--json")};
    }
    if (sub == "check") {
        allowOptions(split, {});
        expectCount(split, 0, 1);
        return Check{split.positional.empty() ? std::nullopt : std::optional(split.positional[0])};
    }
    if (sub == "path" || sub == "init" || sub == "edit") {
        allowOptions(split, {});
        expectCount(split, 0, 0);
        if (sub == "path") return ShowPath{};
        if (sub == "init") return Init{};
        return EditInEditor{};
    }
    const bool force = has(split, "--force");
    if (sub == "set") {
        allowOptions(split, {"--force", "--file"});
        return EditRequest{setAction(split), force};
    }
    if (sub == "unset") {
        allowOptions(split, {"--force"});
        expectCount(split, 2, 2);
        return EditRequest{UnsetAction{place(split.positional[0], split.positional[1])}, force};
    }
    if (sub == "enable" || sub == "disable") {
        allowOptions(split, {"--force"});
        if (split.positional.empty()) return EditRequest{SwitchMaster{sub == "enable"}, force};
        expectCount(split, 2, 2);
        return EditRequest{SwitchAction{place(split.positional[0], split.positional[1]), sub == "enable"}, force};
    }
    if (sub == "tune") {
        allowOptions(split, {"--force", "--reset"});
        return EditRequest{tune(split), force};
    }
    throw Wrong{"unknown sub-command '" + sub + "'"};
}

}  // namespace

ConfigCommand parseConfigCommand(const std::vector<std::string>& words)
{
    if (words.empty()) return UsageError{"a sub-command is missing", {}};
    if (words[0] == "--help" || words[0] == "-h" || words[0] == "help") return Help{};
    try {
        return parse(words);
    } catch (const Wrong& wrong) {
        static constexpr std::string_view known[] = {"show", "check", "path", "init", "edit",
                                                     "set", "unset", "enable", "disable", "tune"};
        const bool isKnown = std::find(std::begin(known), std::end(known), words[0]) != std::end(known);
        return UsageError{wrong.message, isKnown ? words[0] : std::string()};
    }
}

}  // namespace quorvel::editing
