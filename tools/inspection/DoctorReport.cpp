#include <algorithm>
#include <cstdio>

#include "tools/inspection/DoctorCheck.h"

namespace quorvel::inspection {

namespace {

const char* label(Verdict verdict)
{
    switch (verdict) {
    case Verdict::passed: return "passed";
    case Verdict::failed: return "FAILED";
    case Verdict::cannotTell: return "cannot tell";
    }
    return "";
}

std::string joined(const std::vector<std::string>& parts, const char* separator)
{
    std::string text;
    for (const auto& part : parts) text += (text.empty() ? "" : separator) + part;
    return text;
}

// Continuation lines line up under the detail.
std::string indented(const std::string& text)
{
    std::string result;
    for (const char c : text) {
        result += c;
        if (c == '\n') result += std::string(14, ' ');
    }
    return result;
}

std::string whyItMatters(const Check& check, const std::set<std::string>& assigned)
{
    if (check.neededByEveryAction) return "needed by every action";
    if (check.neededBy.empty()) return "advice: no action needs it";
    std::vector<std::string> used;
    for (const auto& kind : check.neededBy) {
        if (assigned.contains(kind)) used.push_back(kind);
    }
    if (used.empty()) return "needed by " + joined(check.neededBy, ", ") + ", none of which is assigned";
    return "needed by the assigned " + joined(used, ", ");
}

}  // namespace

bool matters(const Check& check, const std::set<std::string>& assignedKinds)
{
    return check.neededByEveryAction || std::any_of(check.neededBy.begin(), check.neededBy.end(),
                                                    [&](const auto& kind) { return assignedKinds.contains(kind); });
}

int doctorExitStatus(const std::vector<Check>& checks, const std::set<std::string>& assignedKinds)
{
    const bool stopped = std::any_of(checks.begin(), checks.end(), [&](const Check& check) {
        return check.verdict == Verdict::failed && matters(check, assignedKinds);
    });
    return stopped ? 1 : 0;
}

std::string doctorReport(const std::vector<Check>& checks, const std::set<std::string>& assignedKinds)
{
    std::string report;
    std::vector<std::string> stopping;
    for (const Check& check : checks) {
        char head[16];
        std::snprintf(head, sizeof head, "%-14s", label(check.verdict));
        report += head + check.name + ": " + indented(check.detail) + "\n";
        if (check.verdict != Verdict::failed) continue;
        if (!check.fix.empty()) report += std::string(14, ' ') + "fix: " + indented(check.fix) + "\n";
        report += std::string(14, ' ') + whyItMatters(check, assignedKinds) + "\n";
        if (matters(check, assignedKinds)) stopping.push_back(check.name);
    }
    report += "\n";
    report += stopping.empty() ? "Everything the assigned actions need is in place.\n"
                               : "Not in place for the assigned actions: " + joined(stopping, "; ") + ".\n";
    return report;
}

}  // namespace quorvel::inspection
