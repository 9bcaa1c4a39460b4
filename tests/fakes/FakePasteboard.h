#pragma once

#include <set>
#include <string>
#include <vector>

#include "platform/Pasteboard.h"

namespace quorvel::testing {

// An in-memory pasteboard whose change count grows on every write. Types listed in
// `undeliverableTypes` are listed on items but deliver no data.
class FakePasteboard final : public platform::Pasteboard {
public:
    static constexpr const char* plainTextType = "public.utf8-plain-text";

    std::vector<platform::PasteboardItem> items;
    std::set<std::string> undeliverableTypes;
    std::int64_t count = 1;
    int writeObjectsCalls = 0;

    std::optional<std::size_t> itemCount() override { return items.size(); }
    std::vector<std::string> types(std::size_t item) override
    {
        std::vector<std::string> result;
        for (const auto& [type, data] : items.at(item).dataByType) result.push_back(type);
        return result;
    }
    std::optional<platform::Bytes> data(std::size_t item, const std::string& type) override
    {
        if (undeliverableTypes.contains(type)) return std::nullopt;
        for (const auto& [itemType, bytes] : items.at(item).dataByType) {
            if (itemType == type) return bytes;
        }
        return std::nullopt;
    }
    void clearContents() override
    {
        items.clear();
        ++count;
    }
    bool setPlainText(const std::string& text) override
    {
        platform::PasteboardItem item;
        item.setData(plainTextType, platform::Bytes(text.begin(), text.end()));
        items.push_back(std::move(item));
        ++count;
        return true;
    }
    std::int64_t changeCount() override { return count; }
    bool writeObjects(const std::vector<platform::PasteboardItem>& written) override
    {
        ++writeObjectsCalls;
        items.insert(items.end(), written.begin(), written.end());
        ++count;
        return true;
    }

    // Another application copying text.
    void copyFromElsewhere(const std::string& text)
    {
        clearContents();
        setPlainText(text);
    }
    // The text of a single plain-text item; empty otherwise.
    std::string plainText() const
    {
        if (items.size() != 1 || items[0].dataByType.size() != 1) return {};
        const auto& [type, bytes] = items[0].dataByType[0];
        return type == plainTextType ? std::string(bytes.begin(), bytes.end()) : std::string();
    }
};

}  // namespace quorvel::testing
