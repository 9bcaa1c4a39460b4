#pragma once

#include <set>

#include "platform/Pasteboard.h"

namespace quorvel::testing {

// An in-memory pasteboard whose change count grows on every write. Types listed in
// `undeliverableTypes` are listed on items but deliver no data.
class FakePasteboard final : public platform::Pasteboard {
public:
    std::vector<platform::PasteboardItem> items;
    std::set<std::string> undeliverableTypes;
    std::int64_t count = 1;
    bool refusesText = false;  // as a clipboard that is not available

    std::optional<std::size_t> itemCount() override { return items.size(); }
    std::vector<std::string> types(std::size_t item) override
    {
        std::vector<std::string> result;
        for (const auto& [type, data] : items.at(item).dataByType) result.push_back(type);
        return result;
    }
    std::optional<platform::Bytes> data(std::size_t item, const std::string& type) override
    {
        for (const auto& [itemType, bytes] : items.at(item).dataByType) {
            if (itemType == type && !undeliverableTypes.contains(type)) return bytes;
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
        if (refusesText) return false;
        return writeObjects({platform::PasteboardItem{{{plainTextType, platform::Bytes(text.begin(), text.end())}}}});
    }
    std::int64_t changeCount() override { return count; }
    bool writeObjects(const std::vector<platform::PasteboardItem>& written) override
    {
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
    // The text when the pasteboard holds exactly one plain-text item; empty otherwise.
    std::string plainText() const
    {
        if (items.size() != 1 || items[0].dataByType.size() != 1) return {};
        const auto& [type, bytes] = items[0].dataByType[0];
        return type == plainTextType ? std::string(bytes.begin(), bytes.end()) : std::string();
    }

private:
    static constexpr const char* plainTextType = "public.utf8-plain-text";
};

}  // namespace quorvel::testing
