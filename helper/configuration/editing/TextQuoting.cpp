#include "helper/configuration/editing/TextQuoting.h"

#include <nlohmann/json.hpp>

#include "platform/PrintableText.h"

namespace quorvel::editing {

std::string quoted(const std::string& text) { return platform::quotedForDisplay(text, text.size()); }

std::string number(double value)
{
    std::string text = nlohmann::json(value).dump();
    if (text.ends_with(".0")) text.resize(text.size() - 2);
    return text;
}

bool isValidUtf8(const std::string& text)
{
    try {
        (void)nlohmann::json(text).dump();
        return true;
    } catch (const nlohmann::json::type_error&) {
        return false;
    }
}

}  // namespace quorvel::editing
