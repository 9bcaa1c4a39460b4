#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "helper/actions/ActionServices.h"
#include "platform/Pasteboard.h"

namespace quorvel::ActionDispatcher {

// Types `text` into the front application through the pasteboard: saves its
// contents, writes the snippet, presses Command-V and puts the saved contents back
// 800 ms later unless someone else has written meanwhile. Empty text beeps.
void pasteTextSnippet(const ActionServices& services, const std::string& text);

// Puts `items` back when the change count still is `expectedChangeCount`: an empty
// list leaves the pasteboard empty.
void restorePasteboard(platform::Pasteboard& pasteboard, const std::vector<platform::PasteboardItem>& items,
                       std::int64_t expectedChangeCount);

}  // namespace quorvel::ActionDispatcher
