#include "platform/linux/multitouch/DeviceDescription.h"

namespace quorvel::linux_backend {

namespace {

bool testBit(const std::vector<std::uint8_t>& bits, unsigned bit)
{
    const std::size_t byte = bit / 8;
    return byte < bits.size() && (bits[byte] & (1u << (bit % 8))) != 0;
}

void setBit(std::vector<std::uint8_t>& bits, unsigned bit)
{
    const std::size_t byte = bit / 8;
    if (bits.size() <= byte) bits.resize(byte + 1, 0);
    bits[byte] = static_cast<std::uint8_t>(bits[byte] | (1u << (bit % 8)));
}

}  // namespace

bool DeviceDescription::hasProperty(unsigned property) const { return testBit(properties, property); }

bool DeviceDescription::hasEventType(unsigned type) const
{
    const auto types = eventBits.find(0);
    return types != eventBits.end() && testBit(types->second, type);
}

bool DeviceDescription::hasEventCode(unsigned type, unsigned code) const
{
    if (!hasEventType(type)) return false;
    const auto codes = eventBits.find(static_cast<std::uint16_t>(type));
    return codes != eventBits.end() && testBit(codes->second, code);
}

std::optional<AbsoluteAxis> DeviceDescription::axis(unsigned code) const
{
    const auto found = absoluteAxes.find(static_cast<std::uint16_t>(code));
    if (found == absoluteAxes.end()) return std::nullopt;
    return found->second;
}

void DeviceDescription::setProperty(unsigned property) { setBit(properties, property); }

void DeviceDescription::setEventType(unsigned type) { setBit(eventBits[0], type); }

void DeviceDescription::setEventCode(unsigned type, unsigned code)
{
    setEventType(type);
    setBit(eventBits[static_cast<std::uint16_t>(type)], code);
}

}  // namespace quorvel::linux_backend
