#include "platform/PrintableText.h"

#include <cstdint>

namespace quorvel::platform {

namespace {

// The length of the well-formed (shortest-form, no surrogate) UTF-8 sequence at the start of
// `text` and the character it encodes; length 0 when there is none.
std::size_t decodeCharacter(std::string_view text, char32_t& character)
{
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(text[i]); };
    const std::uint8_t lead = byte(0);
    std::size_t length = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
        character = lead;
        return 1;
    }
    if ((lead & 0xE0) == 0xC0) {
        length = 2, minimum = 0x80, character = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, minimum = 0x800, character = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, minimum = 0x10000, character = lead & 0x07;
    } else {
        return 0;
    }
    if (text.size() < length) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return 0;
        character = (character << 6) | (byte(i) & 0x3F);
    }
    const bool surrogate = character >= 0xD800 && character <= 0xDFFF;
    return character < minimum || character > 0x10FFFF || surrogate ? 0 : length;
}

// Characters a terminal acts on or that change how the text around them reads.
bool misleads(char32_t c)
{
    return (c >= 0x80 && c <= 0x9F) || (c >= 0x200E && c <= 0x200F) || (c >= 0x202A && c <= 0x202E) ||
           (c >= 0x2066 && c <= 0x2069);
}

// \x1b for a byte (two hex digits), \u202e for a character (four).
void appendEscape(std::string& out, char kind, unsigned value)
{
    constexpr const char* digits = "0123456789abcdef";
    out += '\\';
    out += kind;
    for (int shift = kind == 'x' ? 4 : 12; shift >= 0; shift -= 4) out += digits[(value >> shift) & 0xF];
}

std::string escape(std::string_view text, std::size_t limit, bool quoted)
{
    const bool cut = text.size() > limit;
    if (cut) {
        // Not inside a character: back to the start of the one that would be split.
        std::size_t end = limit;
        while (end > 0 && limit - end < 3 && (static_cast<std::uint8_t>(text[end]) & 0xC0) == 0x80) --end;
        text = text.substr(0, end);
    }
    std::string out;
    out.reserve(text.size() + 8);
    while (!text.empty()) {
        char32_t c = 0;
        const std::size_t length = decodeCharacter(text, c);
        if (length == 0) {
            appendEscape(out, 'x', static_cast<std::uint8_t>(text.front()));
            text.remove_prefix(1);
            continue;
        }
        if (c == '\\' || (quoted && c == '"')) {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c < 0x20 || c == 0x7F) {
            appendEscape(out, 'x', static_cast<unsigned>(c));
        } else if (misleads(c)) {
            appendEscape(out, 'u', static_cast<unsigned>(c));
        } else {
            out.append(text.substr(0, length));
        }
        text.remove_prefix(length);
    }
    if (cut) out += "...";
    return out;
}

}  // namespace

std::string escapedForDisplay(std::string_view text, std::size_t limit) { return escape(text, limit, false); }

std::string quotedForDisplay(std::string_view text, std::size_t limit)
{
    return '"' + escape(text, limit, true) + '"';
}

}  // namespace quorvel::platform
