#include "DeviceNode.h"

#include <gtest/gtest.h>
#include <sys/sysmacros.h>

#include <filesystem>
#include <stdexcept>

#include "TempDir.h"

namespace zorv::emu {
namespace {

namespace fs = std::filesystem;
using test::ReadFileBytes;
using test::TempDir;

const char* const kUsbFolder = "sys/devices/pci0000:00/0000:00:14.0/usb1/1-1/";
const char* const kTtyFolder = "sys/devices/pci0000:00/0000:00:14.0/usb1/1-1/1-1:1.0/tty/ttyACM0/";

UsbIdentity ForeignDevice() {
    UsbIdentity usb;
    usb.VendorId = "0403";
    usb.ProductId = "6001";
    usb.Serial = "A10K";
    usb.Product = "USB Serial";
    usb.UsbPath = "pci0000:00/0000:00:14.0/usb1/1-2";
    usb.TtyName = "ttyUSB0";
    return usb;
}

TEST(DeviceNodeTest, PlugLaysOutTheUsbDeviceAsOnARealMachine) {
    TempDir root;
    DeviceNode node(root.Path(), UsbIdentity{});
    node.Plug("/dev/pts/77", makedev(136, 77));

    EXPECT_EQ(ReadFileBytes(root.File(kUsbFolder) + "idVendor"), "ffff\n");
    EXPECT_EQ(ReadFileBytes(root.File(kUsbFolder) + "idProduct"), "2331\n");
    EXPECT_EQ(ReadFileBytes(root.File(kUsbFolder) + "serial"), "TVAK\n");
    EXPECT_EQ(ReadFileBytes(root.File(kUsbFolder) + "product"), "Zorv GSM\n");
    EXPECT_EQ(ReadFileBytes(root.File(kTtyFolder) + "dev"), "136:77\n");

    const fs::path classLink = root.File("sys/class/tty/ttyACM0");
    EXPECT_EQ(fs::read_symlink(classLink), "../../devices/pci0000:00/0000:00:14.0/usb1/1-1/1-1:1.0/tty/ttyACM0");
    EXPECT_EQ(fs::canonical(classLink), fs::canonical(root.File(kTtyFolder)));

    const fs::path deviceLink = root.File(kTtyFolder) + "device";
    EXPECT_EQ(fs::read_symlink(deviceLink), "../../../1-1:1.0");
    EXPECT_EQ(fs::canonical(deviceLink), fs::canonical(root.File(kUsbFolder) + "1-1:1.0"));
    // Walking up from the interface reaches the folder with the identity, as discovery does.
    EXPECT_TRUE(fs::exists(fs::canonical(deviceLink).parent_path() / "idVendor"));

    EXPECT_EQ(node.DevPath(), root.File("dev/ttyACM0"));
    EXPECT_EQ(fs::read_symlink(node.DevPath()), "/dev/pts/77");
}

TEST(DeviceNodeTest, UnplugRemovesOnlyItsOwnDevice) {
    TempDir root;
    DeviceNode panel(root.Path(), UsbIdentity{});
    DeviceNode foreign(root.Path(), ForeignDevice());
    panel.Plug("/dev/pts/1", makedev(136, 1));
    foreign.Plug("/dev/pts/2", makedev(136, 2));

    panel.Unplug();
    EXPECT_FALSE(fs::exists(fs::symlink_status(root.File("dev/ttyACM0"))));
    EXPECT_FALSE(fs::exists(fs::symlink_status(root.File("sys/class/tty/ttyACM0"))));
    EXPECT_FALSE(fs::exists(root.File(kUsbFolder)));

    EXPECT_EQ(fs::read_symlink(root.File("dev/ttyUSB0")), "/dev/pts/2");
    EXPECT_EQ(ReadFileBytes(root.File("sys/class/tty/ttyUSB0/device/../idVendor")), "0403\n");
    EXPECT_EQ(ReadFileBytes(root.File("sys/class/tty/ttyUSB0/dev")), "136:2\n");

    panel.Unplug();  // a second unplug finds nothing to remove
    foreign.Unplug();
    EXPECT_FALSE(fs::exists(fs::symlink_status(root.File("dev/ttyUSB0"))));
}

TEST(DeviceNodeTest, PlugReplacesLinksLeftByAnEarlierRun) {
    TempDir root;
    fs::create_directories(root.File("dev"));
    fs::create_directories(root.File("sys/class/tty"));
    fs::create_symlink("/dev/pts/999", root.File("dev/ttyACM0"));
    fs::create_symlink("/nowhere", root.File("sys/class/tty/ttyACM0"));

    DeviceNode node(root.Path(), UsbIdentity{});
    node.Plug("/dev/pts/3", makedev(136, 3));
    EXPECT_EQ(fs::read_symlink(root.File("dev/ttyACM0")), "/dev/pts/3");
    EXPECT_EQ(ReadFileBytes(root.File("sys/class/tty/ttyACM0/dev")), "136:3\n");
}

struct BadNameCase {
    const char* Name;
    std::string Root;
    std::string UsbPath;
    std::string TtyName;
};

class DeviceNodeNameTest : public ::testing::TestWithParam<BadNameCase> {};

TEST_P(DeviceNodeNameTest, IsRefusedBeforeAnythingIsWritten) {
    UsbIdentity usb;
    usb.UsbPath = GetParam().UsbPath;
    usb.TtyName = GetParam().TtyName;
    EXPECT_THROW(DeviceNode(GetParam().Root, usb), std::invalid_argument);
}

INSTANTIATE_TEST_SUITE_P(
    Names, DeviceNodeNameTest,
    ::testing::Values(BadNameCase{"EmptyRoot", "", "usb1/1-1", "ttyACM0"},
                      BadNameCase{"EmptyUsbPath", "/r", "", "ttyACM0"},
                      BadNameCase{"AbsoluteUsbPath", "/r", "/usb1/1-1", "ttyACM0"},
                      BadNameCase{"UsbPathClimbsOut", "/r", "usb1/../../../etc", "ttyACM0"},
                      BadNameCase{"UsbPathWithEmptyPart", "/r", "usb1//1-1", "ttyACM0"},
                      BadNameCase{"UsbPathEndsWithSlash", "/r", "usb1/1-1/", "ttyACM0"},
                      BadNameCase{"EmptyTtyName", "/r", "usb1/1-1", ""},
                      BadNameCase{"TtyNameWithSlash", "/r", "usb1/1-1", "../ttyACM0"},
                      BadNameCase{"TtyNameDotDot", "/r", "usb1/1-1", ".."}),
    [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
}  // namespace zorv::emu
