#include "helper/actions/Launching.h"

#include <cstdint>
#include <string_view>

#include "helper/actions/AccessibilityGate.h"
#include "helper/actions/InstalledAppCatalog.h"
#include "platform/PrintableText.h"

namespace quorvel::ActionDispatcher {

namespace {

// White space and line breaks: the Unicode separators (Zs, Zl, Zp), the ASCII
// control range TAB…CR and NEL.
bool isWhitespaceOrNewline(char32_t c)
{
    return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F ||
           c == 0x3000;
}

// Decodes `bytes` as exactly one UTF-8 character; nothing when it is not one
// well-formed (shortest-form) character.
std::optional<char32_t> decode(std::string_view bytes)
{
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(bytes[i]); };
    const std::size_t length = bytes.size();
    if (length == 1) return byte(0) < 0x80 ? std::optional<char32_t>(byte(0)) : std::nullopt;
    const std::uint8_t leadMask = length == 2 ? 0x1F : length == 3 ? 0x0F : 0x07;
    const std::uint8_t leadTag = length == 2 ? 0xC0 : length == 3 ? 0xE0 : 0xF0;
    if ((byte(0) & ~leadMask & 0xFF) != leadTag) return std::nullopt;
    char32_t c = byte(0) & leadMask;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return std::nullopt;
        c = (c << 6) | (byte(i) & 0x3F);
    }
    const char32_t shortest = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
    return c >= shortest ? std::optional<char32_t>(c) : std::nullopt;
}

std::size_t sequenceLength(std::uint8_t lead)
{
    if (lead < 0x80) return 1;
    if ((lead & 0xE0) == 0xC0) return 2;
    if ((lead & 0xF0) == 0xE0) return 3;
    if ((lead & 0xF8) == 0xF0) return 4;
    return 0;
}

std::string_view trimmingWhitespaceAndNewlines(std::string_view text)
{
    while (!text.empty()) {
        const auto length = sequenceLength(static_cast<std::uint8_t>(text.front()));
        if (length == 0 || length > text.size()) break;
        const auto c = decode(text.substr(0, length));
        if (!c || !isWhitespaceOrNewline(*c)) break;
        text.remove_prefix(length);
    }
    while (!text.empty()) {
        std::size_t start = text.size() - 1;
        while (start > 0 && text.size() - start < 4 && (static_cast<std::uint8_t>(text[start]) & 0xC0) == 0x80) --start;
        const auto c = decode(text.substr(start));
        if (!c || !isWhitespaceOrNewline(*c)) break;
        text.remove_suffix(text.size() - start);
    }
    return text;
}

}  // namespace

void openApp(const ActionServices& services, const std::string& name,
             const std::optional<std::string>& bundleIdentifier)
{
    if (bundleIdentifier && activateApplication(services, *bundleIdentifier)) return;

    // Scanned afresh each time: the user may have installed or moved the application.
    const auto applications =
        InstalledAppCatalog::loadApplications(services.applicationBundles, services.workspace);
    for (const auto& application : applications) {
        if (application.name == name) {
            services.workspace.openApplication(application.url);
            return;
        }
    }
    const std::string shownName = platform::quotedForDisplay(name);
    if (bundleIdentifier) {
        actionLogger(services).error("No application with the ID %s or the name %s",
                                     platform::quotedForDisplay(*bundleIdentifier).c_str(), shownName.c_str());
    } else {
        actionLogger(services).error("No application with the name %s (no ID given)", shownName.c_str());
    }
}

namespace {

// The text trimmed, with "https://" in front when it names no scheme; empty for blank text.
std::string urlText(const std::string& urlString)
{
    std::string text(trimmingWhitespaceAndNewlines(urlString));
    if (!text.empty() && text.find("://") == std::string::npos) text.insert(0, "https://");
    return text;
}

}  // namespace

std::optional<std::string> urlToOpen(platform::Workspace& workspace, const std::string& urlString)
{
    const std::string text = urlText(urlString);
    if (text.empty()) return std::nullopt;
    return workspace.parseURL(text);
}

void openURL(const ActionServices& services, const std::string& urlString)
{
    const auto refuse = [&](const char* why, const std::string& text) {
        actionLogger(services).error("Could not open the URL %s: %s", platform::quotedForDisplay(text).c_str(), why);
    };
    const std::string text = urlText(urlString);
    if (text.empty()) {
        services.alertSound.beep();
        refuse("there is no text", urlString);
        return;
    }
    const auto url = services.workspace.parseURL(text);
    if (!url) {
        services.alertSound.beep();
        refuse("it is not a valid URL", text);
        return;
    }
    if (!services.workspace.openURL(*url)) refuse("the desktop refused to open it", *url);
}

}  // namespace quorvel::ActionDispatcher
