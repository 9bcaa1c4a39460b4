// Finding touchpads among event nodes, including those that cannot be opened and are
// known only through sysfs.
#include <gtest/gtest.h>
#include <linux/input-event-codes.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/linux/multitouch/InputDeviceScan.h"
#include "platform/linux/multitouch/SysfsDescription.h"

namespace quorvel::linux_backend {
namespace {

namespace fs = std::filesystem;

void write(const fs::path& file, const std::string& content)
{
    fs::create_directories(file.parent_path());
    std::ofstream(file) << content << "\n";
}

// A sysfs entry as the kernel writes it for a Synaptics pad on a 64-bit machine.
void fakeSysfsTouchpad(const fs::path& eventDirectory)
{
    const fs::path device = eventDirectory / "device";
    write(device / "name", "SynPS/2 Synaptics TouchPad");
    write(device / "id" / "vendor", "0002");
    write(device / "properties", "5");
    write(device / "capabilities" / "ev", "b");
    write(device / "capabilities" / "key", "420 10000 0 0 0 0");
    write(device / "capabilities" / "abs", "260800000000003");
}

TEST(SysfsDescription, BitmapsAreWordsMostSignificantFirst)
{
    const auto bits = parseSysfsBitmap("420 10000 0 0 0 0", 64);
    ASSERT_TRUE(bits);
    DeviceDescription d;
    d.eventBits[0] = {0x02};
    d.eventBits[EV_KEY] = *bits;
    EXPECT_TRUE(d.hasEventCode(EV_KEY, BTN_LEFT));
    EXPECT_TRUE(d.hasEventCode(EV_KEY, BTN_TOOL_FINGER));
    EXPECT_TRUE(d.hasEventCode(EV_KEY, BTN_TOUCH));
    EXPECT_FALSE(d.hasEventCode(EV_KEY, BTN_RIGHT));
    EXPECT_FALSE(parseSysfsBitmap("12 zz", 64));
    EXPECT_FALSE(parseSysfsBitmap("100000000", 32)) << "wider than a word";
}

TEST(DeviceScan, NodeThatCannotBeOpenedIsStillRecognisedThroughSysfs)
{
    const fs::path root = fs::path(::testing::TempDir()) / ("quorvel-scan-" + std::to_string(::getpid()));
    fs::remove_all(root);
    const fs::path devices = root / "dev";
    const fs::path sysfs = root / "sys";
    write(devices / "event7", "");  // not an evdev node: opening it as one fails
    write(devices / "mouse0", "");  // not an event node at all
    fakeSysfsTouchpad(sysfs / "event7");

    const auto scanned = scanInputDevices({devices, sysfs});
    ASSERT_EQ(scanned.size(), 1u);
    const ScannedDevice& pad = scanned.front();
    EXPECT_EQ(pad.eventNumber, 7);
    EXPECT_EQ(pad.device, nullptr);
    EXPECT_EQ(pad.openError, ENOTTY);
    EXPECT_FALSE(pad.permissionDenied());
    ASSERT_TRUE(pad.description);
    EXPECT_EQ(pad.description->name, "SynPS/2 Synaptics TouchPad");
    EXPECT_EQ(pad.description->vendor, 2);
    EXPECT_EQ(pad.kind, DeviceKind::touchpad);
    fs::remove_all(root);
}

}  // namespace
}  // namespace quorvel::linux_backend
