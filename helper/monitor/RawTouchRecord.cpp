#include "helper/monitor/RawTouchRecord.h"

#include <bit>
#include <cstddef>

#include "platform/MultitouchFramework.h"

namespace quorvel {

namespace {

namespace mt = platform::multitouch;

// Assembled byte by byte: independent of the host's byte order and of alignment.
std::uint32_t littleEndian32(const unsigned char* bytes)
{
    return static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8)
        | (static_cast<std::uint32_t>(bytes[2]) << 16) | (static_cast<std::uint32_t>(bytes[3]) << 24);
}

std::int32_t readInt32(const unsigned char* record, std::size_t offset)
{
    return std::bit_cast<std::int32_t>(littleEndian32(record + offset));
}

double readFloat32(const unsigned char* record, std::size_t offset)
{
    return static_cast<double>(std::bit_cast<float>(littleEndian32(record + offset)));
}

}  // namespace

std::vector<TrackpadContact> decodeRawTouchRecords(const void* touches, std::int32_t count)
{
    std::vector<TrackpadContact> contacts;
    if (touches == nullptr || count < 1) return contacts;
    contacts.reserve(static_cast<std::size_t>(count));
    const auto* bytes = static_cast<const unsigned char*>(touches);
    for (std::int32_t k = 0; k < count; ++k) {
        const unsigned char* record = bytes + static_cast<std::size_t>(k) * mt::rawTouchRecordSize;
        contacts.push_back(TrackpadContact{
            readInt32(record, mt::identifierOffset),
            readInt32(record, mt::stateOffset),
            TrackpadPoint{readFloat32(record, mt::xOffset), readFloat32(record, mt::yOffset)},
            readFloat32(record, mt::sizeOffset),
        });
    }
    return contacts;
}

}  // namespace quorvel
