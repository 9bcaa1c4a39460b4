#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace quorvel::platform {

using Bytes = std::vector<std::uint8_t>;

// A pasteboard item of our own: data per type, in type order.
struct PasteboardItem {
    std::vector<std::pair<std::string, Bytes>> dataByType;

    void setData(std::string type, Bytes data) { dataByType.emplace_back(std::move(type), std::move(data)); }
    friend bool operator==(const PasteboardItem&, const PasteboardItem&) = default;
};

// The system-wide copy-and-paste pasteboard.
class Pasteboard {
public:
    virtual ~Pasteboard() = default;
    // Items currently on the pasteboard; nothing when it cannot be read.
    virtual std::optional<std::size_t> itemCount() = 0;
    virtual std::vector<std::string> types(std::size_t item) = 0;
    virtual std::optional<Bytes> data(std::size_t item, const std::string& type) = 0;
    // Empties the pasteboard; increases the change count.
    virtual void clearContents() = 0;
    // Writes plain text; increases the change count.
    virtual bool setPlainText(const std::string& text) = 0;
    // Grows with every write, ours and others'.
    virtual std::int64_t changeCount() = 0;
    virtual bool writeObjects(const std::vector<PasteboardItem>& items) = 0;
};

}  // namespace quorvel::platform
