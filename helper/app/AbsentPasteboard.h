#pragma once

#include "platform/Pasteboard.h"

namespace quorvel {

// The pasteboard of a session that offers none the agent can reach (no X server, e.g. a
// pure Wayland session or no graphical session at all): nothing can be read, every write
// fails, and nothing ever changes it.
class AbsentPasteboard final : public platform::Pasteboard {
public:
    std::optional<std::size_t> itemCount() override { return std::nullopt; }
    std::vector<std::string> types(std::size_t) override { return {}; }
    std::optional<platform::Bytes> data(std::size_t, const std::string&) override { return std::nullopt; }
    void clearContents() override {}
    bool setPlainText(const std::string&) override { return false; }
    std::int64_t changeCount() override { return 0; }
    bool writeObjects(const std::vector<platform::PasteboardItem>&) override { return false; }
};

}  // namespace quorvel
