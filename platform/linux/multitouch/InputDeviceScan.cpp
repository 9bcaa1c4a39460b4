#include "platform/linux/multitouch/InputDeviceScan.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <system_error>

#include "platform/linux/multitouch/SysfsDescription.h"

namespace quorvel::linux_backend {

namespace {

std::optional<int> eventNumberOf(const std::string& fileName)
{
    constexpr std::string_view prefix = "event";
    if (fileName.size() <= prefix.size() || fileName.compare(0, prefix.size(), prefix) != 0) return std::nullopt;
    int number = 0;
    const char* first = fileName.data() + prefix.size();
    const char* last = fileName.data() + fileName.size();
    const auto [end, error] = std::from_chars(first, last, number);
    if (error != std::errc{} || end != last) return std::nullopt;
    return number;
}

}  // namespace

bool ScannedDevice::permissionDenied() const { return openError == EACCES || openError == EPERM; }

std::vector<ScannedDevice> scanInputDevices(const ScanLocations& locations)
{
    std::vector<ScannedDevice> result;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(locations.devices, error)) {
        const std::string fileName = entry.path().filename().string();
        const auto number = eventNumberOf(fileName);
        if (!number) continue;
        ScannedDevice scanned;
        scanned.path = entry.path().string();
        scanned.eventNumber = *number;
        auto opened = EvdevDevice::open(scanned.path);
        if (auto* device = std::get_if<EvdevDevice>(&opened)) {
            scanned.description = device->description();
            scanned.device = std::make_unique<EvdevDevice>(std::move(*device));
        } else {
            scanned.openError = std::get<int>(opened);
            scanned.description = readSysfsDescription(locations.sysfs / fileName);
        }
        if (scanned.description) scanned.kind = classifyDevice(*scanned.description);
        result.push_back(std::move(scanned));
    }
    std::sort(result.begin(), result.end(),
              [](const ScannedDevice& a, const ScannedDevice& b) { return a.eventNumber < b.eventNumber; });
    return result;
}

}  // namespace quorvel::linux_backend
