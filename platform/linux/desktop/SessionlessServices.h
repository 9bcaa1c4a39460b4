#pragma once

#include "platform/Pasteboard.h"

namespace quorvel::linux_backend {

// The clipboard of a session the agent cannot reach (no X server, not even Xwayland):
// nothing can be read and writes fail, so a pasted snippet finds nothing to restore.
class SessionlessPasteboard final : public platform::Pasteboard {
public:
    std::optional<std::size_t> itemCount() override { return std::nullopt; }
    std::vector<std::string> types(std::size_t) override { return {}; }
    std::optional<platform::Bytes> data(std::size_t, const std::string&) override { return std::nullopt; }
    void clearContents() override {}
    bool setPlainText(const std::string&) override { return false; }
    std::int64_t changeCount() override { return 0; }
    bool writeObjects(const std::vector<platform::PasteboardItem>&) override { return false; }
};

}  // namespace quorvel::linux_backend
