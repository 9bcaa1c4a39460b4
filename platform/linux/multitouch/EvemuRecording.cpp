#include "platform/linux/multitouch/EvemuRecording.h"

#include <charconv>
#include <cstdint>
#include <limits>
#include <system_error>

namespace quorvel::linux_backend {

namespace {

std::string_view trim(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

// Splits on spaces and tabs.
std::vector<std::string_view> fields(std::string_view text)
{
    std::vector<std::string_view> result;
    std::size_t at = 0;
    while (at < text.size()) {
        const auto start = text.find_first_not_of(" \t", at);
        if (start == std::string_view::npos) break;
        const auto end = text.find_first_of(" \t", start);
        result.push_back(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        at = end == std::string_view::npos ? text.size() : end;
    }
    return result;
}

template <typename Number>
std::optional<Number> parseNumber(std::string_view text, int base)
{
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (error != std::errc{} || end != text.data() + text.size() || text.empty()) return std::nullopt;
    return value;
}

// "sec.usec" with up to six digits of fraction (shorter fractions are scaled up).
std::optional<std::pair<std::int64_t, std::int64_t>> parseTime(std::string_view text)
{
    const auto dot = text.find('.');
    const auto seconds = parseNumber<std::int64_t>(text.substr(0, dot), 10);
    if (!seconds || *seconds < 0) return std::nullopt;
    std::int64_t microseconds = 0;
    if (dot != std::string_view::npos) {
        const std::string_view fraction = text.substr(dot + 1);
        if (fraction.empty() || fraction.size() > 6) return std::nullopt;
        const auto digits = parseNumber<std::int64_t>(fraction, 10);
        if (!digits || *digits < 0) return std::nullopt;
        microseconds = *digits;
        for (std::size_t i = fraction.size(); i < 6; ++i) microseconds *= 10;
    }
    return std::pair{*seconds, microseconds};
}

// At most this much of a line is quoted back in an error.
constexpr std::size_t quotedLength = 60;

std::string excerpt(std::string_view text)
{
    return text.size() <= quotedLength ? std::string(text) : std::string(text.substr(0, quotedLength)) + "...";
}

std::optional<std::string> parseBits(const std::vector<std::string_view>& values, std::vector<std::uint8_t>& bits,
                                     std::string_view what)
{
    for (const std::string_view value : values) {
        const auto byte = parseNumber<std::uint8_t>(value, 16);
        if (!byte) return std::string(what) + ": bad byte '" + excerpt(value) + "'";
        bits.push_back(*byte);
    }
    return std::nullopt;
}

}  // namespace

std::optional<EvemuParseError> EvemuParser::parseLine(std::string_view line)
{
    ++lineNumber_;
    if (auto problem = parse(line)) return EvemuParseError{lineNumber_, std::move(*problem)};
    return std::nullopt;
}

std::optional<std::string> EvemuParser::parse(std::string_view line)
{
    if (const auto comment = line.find('#'); comment != std::string_view::npos) line = line.substr(0, comment);
    line = trim(line);
    if (line.empty()) return std::nullopt;
    if (line.size() < 2 || line[1] != ':') return "not an evemu line: '" + excerpt(line) + "'";
    const char kind = line[0];
    const std::string_view rest = trim(line.substr(2));
    switch (kind) {
    case 'N': description().name = std::string(rest); return std::nullopt;
    case 'I': return parseIdentity(fields(rest));
    case 'P': return parseBits(fields(rest), description().properties, "P");
    case 'B': return parseEventBits(fields(rest));
    case 'A': return parseAxis(fields(rest));
    case 'L':
    case 'S': return std::nullopt;  // LED and switch states: nothing a touchpad needs
    case 'E': return parseEvent(fields(rest));
    default: return "unknown line type '" + excerpt(line.substr(0, 2)) + "'";
    }
}

DeviceDescription& EvemuParser::description()
{
    if (!recording_.description) recording_.description.emplace();
    return *recording_.description;
}

std::optional<std::string> EvemuParser::parseIdentity(const std::vector<std::string_view>& values)
{
    if (values.size() != 4) return "I: needs bus, vendor, product and version";
    std::uint16_t parsed[4];
    for (std::size_t i = 0; i < 4; ++i) {
        const auto value = parseNumber<std::uint16_t>(values[i], 16);
        if (!value) return "I: bad hexadecimal number '" + excerpt(values[i]) + "'";
        parsed[i] = *value;
    }
    DeviceDescription& d = description();
    d.bustype = parsed[0];
    d.vendor = parsed[1];
    d.product = parsed[2];
    d.version = parsed[3];
    return std::nullopt;
}

// "B: type bytes...": successive lines of one type continue its bit array.
std::optional<std::string> EvemuParser::parseEventBits(const std::vector<std::string_view>& values)
{
    if (values.empty()) return "B: needs an event type";
    const auto type = parseNumber<std::uint8_t>(values.front(), 16);
    if (!type || *type > 0x1f) return "B: bad event type '" + excerpt(values.front()) + "'";
    return parseBits({values.begin() + 1, values.end()}, description().eventBits[*type], "B");
}

// "A: code min max fuzz flat [resolution]"
std::optional<std::string> EvemuParser::parseAxis(const std::vector<std::string_view>& values)
{
    if (values.size() != 5 && values.size() != 6) return "A: needs code, min, max, fuzz, flat and an optional resolution";
    const auto code = parseNumber<std::uint16_t>(values[0], 16);
    if (!code || *code > 0x3f) return "A: bad axis code '" + excerpt(values[0]) + "'";
    std::int32_t numbers[5] = {0, 0, 0, 0, 0};
    for (std::size_t i = 1; i < values.size(); ++i) {
        const auto number = parseNumber<std::int32_t>(values[i], 10);
        if (!number) return "A: bad number '" + excerpt(values[i]) + "'";
        numbers[i - 1] = *number;
    }
    description().absoluteAxes[*code] = AbsoluteAxis{numbers[0], numbers[1], numbers[2], numbers[3], numbers[4]};
    return std::nullopt;
}

// "E: sec.usec type code value", type and code in hexadecimal.
std::optional<std::string> EvemuParser::parseEvent(const std::vector<std::string_view>& values)
{
    if (values.size() != 4) return "E: needs time, type, code and value";
    const auto time = parseTime(values[0]);
    if (!time) return "E: bad time '" + excerpt(values[0]) + "'";
    const auto type = parseNumber<std::uint16_t>(values[1], 16);
    const auto code = parseNumber<std::uint16_t>(values[2], 16);
    const auto value = parseNumber<std::int32_t>(values[3], 10);
    if (!type || !code || !value) return "E: bad type, code or value";
    // A recording is played on its own clock; one that runs backwards has been edited or spliced.
    if (!recording_.events.empty()) {
        const InputEvent& previous = recording_.events.back();
        if (std::pair{time->first, time->second} < std::pair{previous.seconds, previous.microseconds}) {
            return "E: time " + excerpt(values[0]) + " is earlier than the event before it";
        }
    }
    recording_.events.push_back(InputEvent{time->first, time->second, *type, *code, *value});
    return std::nullopt;
}

std::variant<EvemuRecording, EvemuParseError> parseEvemuRecording(std::string_view text)
{
    EvemuParser parser;
    while (!text.empty()) {
        const auto newline = text.find('\n');
        if (auto error = parser.parseLine(text.substr(0, newline))) return std::move(*error);
        text = newline == std::string_view::npos ? std::string_view{} : text.substr(newline + 1);
    }
    return parser.takeRecording();
}

}  // namespace quorvel::linux_backend
