#include "helper/actions/TextSnippets.h"

#include <utility>

#include "helper/actions/AccessibilityGate.h"
#include "helper/actions/SystemKeys.h"

namespace quorvel::ActionDispatcher {

namespace {

constexpr double restoreDelaySeconds = 0.8;

// A copy of every item with the data of every type the pasteboard delivers now.
std::vector<platform::PasteboardItem> savedContents(platform::Pasteboard& pasteboard)
{
    std::vector<platform::PasteboardItem> saved;
    const auto count = pasteboard.itemCount();
    if (!count) return saved;
    for (std::size_t item = 0; item < *count; ++item) {
        platform::PasteboardItem copy;
        for (const auto& type : pasteboard.types(item)) {
            if (auto data = pasteboard.data(item, type)) copy.setData(type, std::move(*data));
        }
        saved.push_back(std::move(copy));
    }
    return saved;
}

}  // namespace

void pasteTextSnippet(const ActionServices& services, const std::string& text)
{
    // Only the empty text is refused: a snippet of spaces is pasted as it is.
    if (text.empty()) {
        services.alertSound.beep();
        return;
    }
    if (!passAccessibilityGate(services)) return;

    auto& pasteboard = services.pasteboard;
    auto saved = savedContents(pasteboard);
    pasteboard.clearContents();
    if (!pasteboard.setPlainText(text)) {
        actionLogger(services).error("Could not paste the snippet: the clipboard is not available");
    }
    const auto expectedChangeCount = pasteboard.changeCount();

    sendKeyboardShortcut(services, platform::key_code::v, platform::event_flag::command);

    services.mainQueue.asyncAfter(restoreDelaySeconds, [&pasteboard, saved = std::move(saved), expectedChangeCount] {
        restorePasteboard(pasteboard, saved, expectedChangeCount);
    });
}

void restorePasteboard(platform::Pasteboard& pasteboard, const std::vector<platform::PasteboardItem>& items,
                       std::int64_t expectedChangeCount)
{
    // Someone copied something after the snippet; their content stays.
    if (pasteboard.changeCount() != expectedChangeCount) return;
    pasteboard.clearContents();
    if (!items.empty()) pasteboard.writeObjects(items);
}

}  // namespace quorvel::ActionDispatcher
