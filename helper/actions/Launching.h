#pragma once

#include <optional>
#include <string>

#include "helper/actions/ActionServices.h"

namespace quorvel::ActionDispatcher {

// Opens the application with `bundleIdentifier` when the workspace knows it, else
// the first catalog application whose display name is exactly `name`; else logs that
// neither was found.
void openApp(const ActionServices& services, const std::string& name,
             const std::optional<std::string>& bundleIdentifier);

// Opens a URL typed by the user in its default handler. Text without "://" is taken
// as an https address; empty or unparsable text beeps. Every failure, a refusal of the
// desktop included, is logged with the URL.
void openURL(const ActionServices& services, const std::string& urlString);

// The URL openURL opens for the text: trimmed, "https://" put in front of text without
// "://", as the workspace's parser returns it; nothing for empty or unparsable text.
std::optional<std::string> urlToOpen(platform::Workspace& workspace, const std::string& urlString);

}  // namespace quorvel::ActionDispatcher
