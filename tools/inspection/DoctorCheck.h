#pragma once

#include <set>
#include <string>
#include <vector>

namespace quorvel::inspection {

enum class Verdict { passed, failed, cannotTell };

// One thing `quorvel doctor` looked at on this machine.
struct Check {
    std::string name;
    Verdict verdict = Verdict::cannotTell;
    std::string detail;  // what was found
    std::string fix;     // for a failure: exactly what to do; empty when nothing can be done
    // Which actions it matters for: every action (the agent cannot work without it), or the
    // action kinds listed ("media", "textSnippet"...). Neither: it is advice only.
    bool neededByEveryAction = false;
    std::vector<std::string> neededBy;

    friend bool operator==(const Check&, const Check&) = default;
};

// The action kinds that press keys through the virtual keyboard.
inline const std::vector<std::string> keyActionKinds = {"showAppSwitcher", "showSpotlightSearch", "media", "mute",
                                                        "textSnippet"};

// Whether a failure of `check` stops one of the actions assigned (their kinds).
bool matters(const Check& check, const std::set<std::string>& assignedKinds);

// Exit 0 when nothing that matters failed, 1 otherwise.
int doctorExitStatus(const std::vector<Check>& checks, const std::set<std::string>& assignedKinds);

// The report for a person: one block per check, then a summary line.
std::string doctorReport(const std::vector<Check>& checks, const std::set<std::string>& assignedKinds);

}  // namespace quorvel::inspection
