// Any bytes: decoding ends in a value or an error, never a crash. A value must survive
// encoding and decoding unchanged, in both layouts.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "helper/configuration/ConfigurationJson.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const quorvel::Decoded<quorvel::AppConfiguration> decoded = quorvel::decodeConfiguration(std::span(data, size));
    if (!decoded) return 0;
    for (quorvel::JsonLayout layout : {quorvel::JsonLayout::compact, quorvel::JsonLayout::pretty}) {
        const std::optional<std::string> text = quorvel::encodeConfiguration(decoded.value(), layout);
        if (!text) std::abort();
        const quorvel::Decoded<quorvel::AppConfiguration> again = quorvel::decodeConfiguration(*text);
        if (!again || !(again.value() == decoded.value())) std::abort();
    }
    return 0;
}
