#include "platform/linux/multitouch/SysfsDescription.h"

#include <linux/input-event-codes.h>

#include <charconv>
#include <climits>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>

namespace quorvel::linux_backend {

namespace {

std::optional<std::string> readLine(const std::filesystem::path& file)
{
    std::ifstream in(file);
    if (!in) return std::nullopt;
    std::string line;
    std::getline(in, line);
    return line;
}

std::uint16_t readHexId(const std::filesystem::path& file)
{
    const auto text = readLine(file);
    unsigned value = 0;
    if (text) std::from_chars(text->data(), text->data() + text->size(), value, 16);
    return static_cast<std::uint16_t>(value);
}

}  // namespace

std::optional<std::vector<std::uint8_t>> parseSysfsBitmap(std::string_view text, unsigned wordBits)
{
    if (wordBits == 0 || wordBits > 64 || wordBits % 8 != 0) return std::nullopt;
    std::vector<std::uint64_t> words;  // most significant first, as written
    std::size_t at = 0;
    while (at < text.size()) {
        const auto start = text.find_first_not_of(" \t\n", at);
        if (start == std::string_view::npos) break;
        auto end = text.find_first_of(" \t\n", start);
        if (end == std::string_view::npos) end = text.size();
        std::uint64_t word = 0;
        const auto [last, error] = std::from_chars(text.data() + start, text.data() + end, word, 16);
        if (error != std::errc{} || last != text.data() + end) return std::nullopt;
        if (wordBits < 64 && (word >> wordBits) != 0) return std::nullopt;
        words.push_back(word);
        at = end;
    }
    std::vector<std::uint8_t> bits;
    const unsigned bytesPerWord = wordBits / 8;
    for (auto word = words.rbegin(); word != words.rend(); ++word) {
        for (unsigned byte = 0; byte < bytesPerWord; ++byte) bits.push_back(static_cast<std::uint8_t>(*word >> (8 * byte)));
    }
    return bits;
}

std::optional<DeviceDescription> readSysfsDescription(const std::filesystem::path& eventDirectory)
{
    const std::filesystem::path device = eventDirectory / "device";
    const auto name = readLine(device / "name");
    if (!name) return std::nullopt;
    constexpr unsigned wordBits = sizeof(long) * CHAR_BIT;  // the kernel writes longs

    DeviceDescription description;
    description.name = *name;
    description.bustype = readHexId(device / "id" / "bustype");
    description.vendor = readHexId(device / "id" / "vendor");
    description.product = readHexId(device / "id" / "product");
    description.version = readHexId(device / "id" / "version");
    if (const auto text = readLine(device / "properties")) {
        if (auto bits = parseSysfsBitmap(*text, wordBits)) description.properties = std::move(*bits);
    }
    const std::pair<std::uint16_t, const char*> capabilities[] = {
        {0, "ev"}, {EV_KEY, "key"}, {EV_REL, "rel"}, {EV_ABS, "abs"}, {EV_MSC, "msc"},
        {EV_SW, "sw"}, {EV_LED, "led"}, {EV_SND, "snd"}, {EV_FF, "ff"},
    };
    for (const auto& [type, file] : capabilities) {
        const auto text = readLine(device / "capabilities" / file);
        if (!text) continue;
        if (auto bits = parseSysfsBitmap(*text, wordBits)) description.eventBits[type] = std::move(*bits);
    }
    return description;
}

}  // namespace quorvel::linux_backend
