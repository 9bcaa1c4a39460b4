#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <variant>
#include <vector>

namespace quorvel::platform {

// A property-list value as preference stores and application metadata hold them.
struct PropertyValue {
    using Array = std::vector<PropertyValue>;
    using Dictionary = std::map<std::string, PropertyValue>;

    std::variant<bool, std::int64_t, double, std::string, Array, Dictionary> value;

    friend bool operator==(const PropertyValue&, const PropertyValue&) = default;
};

}  // namespace quorvel::platform
