#include "platform/linux/multitouch/EvdevDevice.h"

#include <fcntl.h>
#include <libevdev/libevdev.h>

#include <algorithm>
#include <cerrno>

namespace quorvel::linux_backend {

void EvdevDevice::Free::operator()(libevdev* device) const { libevdev_free(device); }

EvdevDevice::EvdevDevice(platform::UniqueFd fd, std::unique_ptr<libevdev, Free> device)
    : fd_(std::move(fd)), device_(std::move(device))
{
}

std::variant<EvdevDevice, int> EvdevDevice::open(const std::string& path)
{
    platform::UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!fd.valid()) return errno;
    libevdev* raw = nullptr;
    if (const int rc = libevdev_new_from_fd(fd.get(), &raw); rc < 0) return -rc;
    return EvdevDevice(std::move(fd), std::unique_ptr<libevdev, Free>(raw));
}

DeviceDescription EvdevDevice::description() const
{
    libevdev* d = device_.get();
    DeviceDescription description;
    if (const char* name = libevdev_get_name(d)) description.name = name;
    description.bustype = static_cast<std::uint16_t>(libevdev_get_id_bustype(d));
    description.vendor = static_cast<std::uint16_t>(libevdev_get_id_vendor(d));
    description.product = static_cast<std::uint16_t>(libevdev_get_id_product(d));
    description.version = static_cast<std::uint16_t>(libevdev_get_id_version(d));
    for (unsigned property = 0; property <= INPUT_PROP_MAX; ++property) {
        if (libevdev_has_property(d, property)) description.setProperty(property);
    }
    for (unsigned type = 0; type <= EV_MAX; ++type) {
        if (!libevdev_has_event_type(d, type)) continue;
        description.setEventType(type);
        // The bits of type 0 are the event types themselves.
        if (type == EV_SYN) continue;
        const int maximum = libevdev_event_type_get_max(type);
        for (int code = 0; code <= maximum; ++code) {
            if (!libevdev_has_event_code(d, type, static_cast<unsigned>(code))) continue;
            description.setEventCode(type, static_cast<unsigned>(code));
            if (type != EV_ABS) continue;
            if (const input_absinfo* info = libevdev_get_abs_info(d, static_cast<unsigned>(code))) {
                description.absoluteAxes[static_cast<std::uint16_t>(code)] =
                    AbsoluteAxis{info->minimum, info->maximum, info->fuzz, info->flat, info->resolution};
            }
        }
    }
    return description;
}

std::vector<SlotSeed> EvdevDevice::slotSeeds() const
{
    libevdev* d = device_.get();
    std::vector<SlotSeed> seeds;
    const int slots = std::min(libevdev_get_num_slots(d), MultitouchDecoder::maximumSlotCount);
    for (int slot = 0; slot < slots; ++slot) {
        const auto value = [&](unsigned code) {
            return libevdev_get_slot_value(d, static_cast<unsigned>(slot), code);
        };
        const int trackingId = value(ABS_MT_TRACKING_ID);
        if (trackingId < 0) continue;
        seeds.push_back(SlotSeed{slot, trackingId, value(ABS_MT_POSITION_X), value(ABS_MT_POSITION_Y),
                                 value(ABS_MT_TOUCH_MAJOR), value(ABS_MT_PRESSURE)});
    }
    return seeds;
}

int EvdevDevice::currentSlot() const { return std::max(libevdev_get_current_slot(device_.get()), 0); }

}  // namespace quorvel::linux_backend
