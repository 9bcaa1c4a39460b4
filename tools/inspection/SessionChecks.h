#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/KeyboardInputSources.h"
#include "tools/inspection/DoctorCheck.h"

namespace quorvel::inspection {

// What the desktop session offers the agent.
struct SessionFacts {
    std::string sessionType;     // $XDG_SESSION_TYPE
    std::string currentDesktop;  // $XDG_CURRENT_DESKTOP
    bool x11Reachable = false;
    std::optional<std::vector<std::string>> waylandGlobals;  // none: no compositor answered
};

// Looks at the session this command runs in (its environment, its displays).
SessionFacts observeSession();

// The session itself, the front application (switchApps) and the clipboard (textSnippet).
std::vector<Check> sessionChecks(const SessionFacts& session);

// The input sources nextInputSource would switch between; `sources` as the session's
// input-source services list them (none: none answered).
Check inputSourcesCheck(const std::optional<std::vector<platform::InputSource>>& sources);

// The input sources of this session, asked as the agent asks them.
std::optional<std::vector<platform::InputSource>> sessionInputSources();

// Whether tap-to-click is on: GNOME's setting where its schema is installed, else KDE's files
// in `configHome`; nothing when neither tells.
struct TapToClick {
    std::optional<bool> on;
    std::string source;  // where it was read
};
TapToClick gnomeTapToClick();
TapToClick kdeTapToClick(const std::filesystem::path& configHome);
Check tapToClickCheck(const TapToClick& setting);

}  // namespace quorvel::inspection
