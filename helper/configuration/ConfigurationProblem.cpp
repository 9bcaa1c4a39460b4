#include "helper/configuration/ConfigurationProblem.h"

#include <algorithm>
#include <charconv>
#include <string_view>
#include <vector>

#include "helper/configuration/ActionKind.h"
#include "helper/configuration/ConfigurationJson.h"
#include "helper/configuration/StrictJsonParser.h"

namespace quorvel {

namespace {

using Json = nlohmann::json;

// ASCII-only JSON quoting: text from the file cannot carry control sequences into a terminal
// or the journal.
std::string quoted(const std::string& text)
{
    return Json(text).dump(-1, ' ', /*ensure_ascii=*/true, Json::error_handler_t::replace);
}

// The value at a decoder path such as "assignments[2].doubleTap.kind"; null when the path
// leads nowhere. Only the decoder's own member names occur in such paths.
const Json* valueAt(const Json& document, std::string_view path)
{
    const Json* at = &document;
    while (!path.empty() && at != nullptr) {
        if (path.front() == '.') path.remove_prefix(1);
        if (path.empty()) break;
        if (path.front() == '[') {
            const auto close = path.find(']');
            std::size_t index = 0;
            if (close == std::string_view::npos || !at->is_array() ||
                std::from_chars(path.data() + 1, path.data() + close, index).ec != std::errc() ||
                index >= at->size())
                return nullptr;
            at = &(*at)[index];
            path.remove_prefix(close + 1);
            continue;
        }
        const auto end = std::min(path.find('.'), path.find('['));
        const std::string name(path.substr(0, end));
        if (!at->is_object() || !at->contains(name)) return nullptr;
        at = &(*at)[name];
        path.remove_prefix(std::min(end, path.size()));
    }
    return at;
}

std::string joined(const std::vector<std::string>& names)
{
    std::string text;
    for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
    return text;
}

// An action kind object that names no kind or several: say which names it holds and which
// kinds there are, then the decoder's own words.
std::string actionKindProblem(const DecodingError& error, std::span<const std::uint8_t> bytes)
{
    std::vector<std::string> kinds, others;
    const auto document = parseStrictJson(bytes);
    const Json* object = document ? valueAt(document.value(), error.path) : nullptr;
    if (object != nullptr && object->is_object()) {
        for (const auto& [name, value] : object->items()) {
            const bool isKind = std::find(std::begin(ActionKind::caseNames), std::end(ActionKind::caseNames),
                                          name) != std::end(ActionKind::caseNames);
            (isKind ? kinds : others).push_back(quoted(name));
        }
    }
    std::string what;
    if (kinds.size() > 1)
        what = "names more than one action kind (" + joined(kinds) + ")";
    else if (others.size() == 1)
        what = others.front() + " is not an action kind";
    else if (!others.empty())
        what = "none of " + joined(others) + " is an action kind";
    else
        what = "names no action kind";
    std::vector<std::string> valid(std::begin(ActionKind::caseNames), std::end(ActionKind::caseNames));
    return what + "; the kinds are " + joined(valid) + " (" + error.reason + ")";
}

}  // namespace

std::string describeConfigurationProblem(const std::filesystem::path& file, const ConfigurationProblem& problem,
                                         std::span<const std::uint8_t> bytes)
{
    const std::string name = file.string();
    if (const auto* failure = std::get_if<FileReadFailure>(&problem)) {
        return name + (failure->missing ? ": there is no such file" : ": cannot be read: " + failure->reason);
    }
    const auto& error = std::get<DecodingError>(problem);
    if (error.kind == DecodingError::Kind::notJson) return name + ": not valid JSON: " + error.reason;
    const std::string where = error.path.empty() ? std::string() : " at " + error.path;
    const std::string why =
        error.reason == invalidActionKindKeysReason ? actionKindProblem(error, bytes) : error.reason;
    return name + ":" + where + (where.empty() ? " " : ": ") + why;
}

}  // namespace quorvel
