#include "platform/linux/multitouch/RawTouchRecords.h"

#include <bit>
#include <cstdint>

#include "platform/MultitouchFramework.h"

namespace quorvel::linux_backend {

namespace {

namespace layout = platform::multitouch;

void putLittleEndian32(std::byte* at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i) at[i] = static_cast<std::byte>((value >> (8 * i)) & 0xffu);
}

}  // namespace

void encodeRawTouchRecords(const std::vector<DecodedContact>& contacts, std::vector<std::byte>& out)
{
    out.assign(contacts.size() * layout::rawTouchRecordSize, std::byte{0});
    std::byte* record = out.data();
    for (const DecodedContact& contact : contacts) {
        putLittleEndian32(record + layout::identifierOffset, static_cast<std::uint32_t>(contact.identifier));
        putLittleEndian32(record + layout::stateOffset, static_cast<std::uint32_t>(contact.state));
        putLittleEndian32(record + layout::xOffset, std::bit_cast<std::uint32_t>(contact.x));
        putLittleEndian32(record + layout::yOffset, std::bit_cast<std::uint32_t>(contact.y));
        putLittleEndian32(record + layout::sizeOffset, std::bit_cast<std::uint32_t>(contact.size));
        record += layout::rawTouchRecordSize;
    }
}

}  // namespace quorvel::linux_backend
