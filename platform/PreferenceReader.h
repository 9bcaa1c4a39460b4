#pragma once

#include <optional>
#include <string>

#include "platform/PropertyValue.h"

namespace quorvel::platform {

// Read-only access to system preferences by key and application domain.
class PreferenceReader {
public:
    virtual ~PreferenceReader() = default;
    virtual std::optional<PropertyValue> copyAppValue(const std::string& key, const std::string& applicationID) = 0;
};

}  // namespace quorvel::platform
