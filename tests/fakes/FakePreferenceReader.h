#pragma once

#include <map>

#include "platform/PreferenceReader.h"

namespace quorvel::testing {

// Preferences by (application domain, key).
class FakePreferenceReader final : public platform::PreferenceReader {
public:
    std::map<std::pair<std::string, std::string>, platform::PropertyValue> values;

    std::optional<platform::PropertyValue> copyAppValue(const std::string& key, const std::string& applicationID) override
    {
        const auto found = values.find({applicationID, key});
        return found == values.end() ? std::nullopt : std::optional(found->second);
    }
};

}  // namespace quorvel::testing
