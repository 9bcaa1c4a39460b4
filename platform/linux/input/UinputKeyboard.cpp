#include "platform/linux/input/UinputKeyboard.h"

#include <libevdev/libevdev-uinput.h>
#include <libevdev/libevdev.h>
#include <linux/input.h>

#include <cerrno>
#include <utility>

#include "platform/linux/input/KeyCodeTable.h"

namespace quorvel::linux_backend {
namespace {

// Identifies our device to the desktop's input stack; not a real vendor.
constexpr int vendorId = 0x5156;
constexpr int productId = 0x0001;

}  // namespace

void UinputKeyboard::DeviceDeleter::operator()(libevdev* device) const
{
    libevdev_free(device);
}

void UinputKeyboard::UinputDeleter::operator()(libevdev_uinput* device) const
{
    libevdev_uinput_destroy(device);
}

UinputKeyboard::UinputKeyboard(std::unique_ptr<libevdev, DeviceDeleter> description,
                               std::unique_ptr<libevdev_uinput, UinputDeleter> device)
    : description_(std::move(description)), device_(std::move(device))
{
}

bool UinputKeyboard::write(std::uint16_t type, std::uint16_t code, std::int32_t value)
{
    return libevdev_uinput_write_event(device_.get(), type, code, value) == 0;
}

VirtualKeyboardCreation UinputKeyboardFactory::create()
{
    std::unique_ptr<libevdev, UinputKeyboard::DeviceDeleter> description(libevdev_new());
    if (!description) return CreationError{ENOMEM};
    libevdev_set_name(description.get(), deviceName);
    libevdev_set_id_bustype(description.get(), BUS_VIRTUAL);
    libevdev_set_id_vendor(description.get(), vendorId);
    libevdev_set_id_product(description.get(), productId);
    libevdev_enable_event_type(description.get(), EV_SYN);
    libevdev_enable_event_type(description.get(), EV_KEY);
    for (std::uint16_t key : allEvdevKeys()) {
        libevdev_enable_event_code(description.get(), EV_KEY, key, nullptr);
    }

    libevdev_uinput* raw = nullptr;
    const int result = libevdev_uinput_create_from_device(description.get(), LIBEVDEV_UINPUT_OPEN_MANAGED, &raw);
    if (result < 0) return CreationError{-result};
    std::unique_ptr<libevdev_uinput, UinputKeyboard::UinputDeleter> device(raw);
    return std::unique_ptr<VirtualKeyboard>(
        std::make_unique<UinputKeyboard>(std::move(description), std::move(device)));
}

}  // namespace quorvel::linux_backend
