#include "helper/configuration/editing/ApplicationChoice.h"

#include <algorithm>
#include <cctype>
#include <functional>
#include <numeric>

#include "helper/configuration/editing/TextQuoting.h"

namespace quorvel::editing {

namespace {

std::string lowered(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

std::size_t editDistance(const std::string& a, const std::string& b)
{
    std::vector<std::size_t> row(b.size() + 1);
    std::iota(row.begin(), row.end(), 0);
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

// How far a name or identifier is from what was typed: 0 when one holds the other.
std::size_t distance(const std::string& typed, const std::string& candidate)
{
    const std::string a = lowered(typed), b = lowered(candidate);
    if (b.find(a) != std::string::npos || a.find(b) != std::string::npos) return 0;
    return editDistance(a, b);
}

std::string described(const InstalledApplication& application)
{
    return quoted(application.name) +
           (application.bundleIdentifier ? " (" + *application.bundleIdentifier + ")" : "");
}

std::string closest(const std::string& typed, const std::vector<InstalledApplication>& applications)
{
    std::vector<std::pair<std::size_t, const InstalledApplication*>> ranked;
    const std::size_t limit = std::max<std::size_t>(2, typed.size() / 3);
    for (const auto& application : applications) {
        std::size_t score = distance(typed, application.name);
        if (application.bundleIdentifier) score = std::min(score, distance(typed, *application.bundleIdentifier));
        if (score <= limit) ranked.emplace_back(score, &application);
    }
    std::stable_sort(ranked.begin(), ranked.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    if (ranked.empty()) return "; no installed application has a similar name";
    std::string text = "; the closest: ";
    for (std::size_t i = 0; i < std::min<std::size_t>(ranked.size(), 5); ++i)
        text += (i == 0 ? "" : ", ") + described(*ranked[i].second);
    return text;
}

ChosenApplication chosen(const InstalledApplication& application, std::vector<std::string> notes = {})
{
    return ChosenApplication{{application.name, application.bundleIdentifier}, std::move(notes)};
}

}  // namespace

std::variant<ChosenApplication, std::string> chooseApplication(const std::string& app, MachineLookups& lookups)
{
    std::string identifier = app;
    if (identifier.ends_with(".desktop")) identifier.resize(identifier.size() - 8);
    const auto& applications = lookups.applications();
    for (const auto& application : applications) {
        if (application.bundleIdentifier == identifier) return chosen(application);
    }
    if (!identifier.empty()) {
        if (auto application = lookups.applicationWithIdentifier(identifier)) return chosen(*application);
    }
    // The dispatcher matches names exactly; any letter case only helps the person type.
    const auto exactly = [&app](const std::string& name) { return name == app; };
    const auto inAnyCase = [&app](const std::string& name) { return lowered(name) == lowered(app); };
    for (const std::function<bool(const std::string&)>& sameName : {std::function(exactly), std::function(inAnyCase)}) {
        std::vector<const InstalledApplication*> named;
        for (const auto& application : applications)
            if (sameName(application.name)) named.push_back(&application);
        if (named.empty()) continue;
        std::vector<std::string> notes;
        if (named.size() > 1)
            notes.push_back(std::to_string(named.size()) + " applications are named " + quoted(named[0]->name) +
                            "; recorded the first, " + described(*named[0]));
        return chosen(*named[0], std::move(notes));
    }
    return "no installed application has the ID or the name " + quoted(app) + closest(app, applications);
}

}  // namespace quorvel::editing
