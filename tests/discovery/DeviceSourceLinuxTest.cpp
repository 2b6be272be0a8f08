// The Linux device source against device roots built in a temporary folder.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "FakeMessageLoop.h"
#include "FakeSysfsTree.h"
#include "TempDir.h"
#include "discovery/DeviceSourceLinux.h"
#include "serial/PortPath.h"

namespace zorv {
namespace {
namespace fs = std::filesystem;

const char kPanelPath[] = "USB\\VID_FFFF&PID_2331\\TVAK";

class DeviceSourceLinuxTest : public ::testing::Test {
protected:
    DeviceSourceLinuxTest() : tree(dir.File("root")), source(loop, tree.Root()) {}

    std::vector<std::string> FriendlyNames(const std::string& instancePath = kPanelPath) {
        std::vector<std::string> names;
        const auto set = source.GetClassDevs(instancePath);
        EXPECT_NE(set, nullptr);
        for (uint32_t i = 0; set && set->EnumDeviceInfo(i); ++i) names.push_back(set->FriendlyName(i));
        return names;
    }

    test::TempDir dir;
    test::FakeSysfsTree tree;
    test::FakeMessageLoop loop;
    TDeviceSourceLinux source;
};

std::string List(std::initializer_list<const char*> names) {
    std::string list;
    for (const char* name : names) list += std::string(name) + '\0';
    return list + '\0';
}

TEST_F(DeviceSourceLinuxTest, ListsTtysThatHaveADeviceAndANodeInPortOrder) {
    tree.UsbTty("ttyACM0", "pci0000:00/usb1/1-1");
    tree.PlatformTty("ttyS0");
    tree.PlatformTty("ttyS3", false);         // no node in dev
    tree.Console("tty0");                     // no device
    tree.UsbTty("ttyUSB1", "pci0000:00/usb1/1-2");
    tree.PlatformTty("ttyAMA0");
    EXPECT_EQ(source.QueryDosDevices(), List({"COM1", "COM102", "COM201", "COM1001"}));
}

TEST_F(DeviceSourceLinuxTest, DanglingLinksAreLeftOut) {
    tree.PlatformTty("ttyS0");
    fs::remove_all(tree.Root() + "/sys/devices/platform/serial8250/tty/ttyS0");  // class link dangles
    tree.PlatformTty("ttyS1");
    fs::remove(tree.Root() + "/sys/devices/platform/serial8250/tty/ttyS1/device");
    fs::create_symlink("../../../nowhere", tree.Root() + "/sys/devices/platform/serial8250/tty/ttyS1/device");
    tree.PlatformTty("ttyS2", false);
    fs::create_symlink("/nonexistent/pts/9", tree.Root() + "/dev/ttyS2");  // node link dangles
    tree.PlatformTty("ttyS4");
    EXPECT_EQ(source.QueryDosDevices(), List({"COM5"}));
}

TEST_F(DeviceSourceLinuxTest, FriendlyNamesOfThePanelsPortsOnly) {
    tree.UsbTty("ttyACM0", "pci0000:00/usb1/1-1");
    tree.UsbTty("ttyACM1", "pci0000:00/usb1/1-2", {"0403", "6001", "A1B2", "Other"});
    tree.PlatformTty("ttyS0");
    EXPECT_EQ(FriendlyNames(), (std::vector<std::string>{"Zorv GSM (COM201)"}));
    EXPECT_EQ(FriendlyNames("usb\\vid_ffff&pid_2331\\tvak"), (std::vector<std::string>{"Zorv GSM (COM201)"}));
    EXPECT_EQ(FriendlyNames("USB\\VID_0403&PID_6001\\A1B2"), (std::vector<std::string>{"Other (COM202)"}));
    EXPECT_TRUE(FriendlyNames("USB\\VID_FFFF&PID_2331\\TVA").empty());
}

TEST_F(DeviceSourceLinuxTest, IdentityComesFromTheNearestUsbAncestor) {
    // A USB-serial converter: the tty hangs below a port folder inside the interface.
    const std::string usb = "pci0000:00/usb2/2-1";
    const fs::path port = fs::path(tree.Root()) / "sys/devices" / usb / "2-1:1.0/ttyUSB0";
    fs::create_directories(port / "tty/ttyUSB0");
    fs::create_symlink("../../../ttyUSB0", port / "tty/ttyUSB0/device");
    fs::create_symlink(fs::path("../../devices") / usb / "2-1:1.0/ttyUSB0/tty/ttyUSB0",
                       tree.Root() + "/sys/class/tty/ttyUSB0");
    tree.Write("sys/devices/" + usb + "/idVendor", "FFFF\n");
    tree.Write("sys/devices/" + usb + "/idProduct", "2331\n");
    tree.Write("sys/devices/" + usb + "/serial", " TVAK \n");
    // An outer hub with the panel's ids must not be taken for the device itself.
    tree.Write("sys/devices/pci0000:00/usb2/idVendor", "ffff\n");
    tree.Node("ttyUSB0");
    EXPECT_EQ(FriendlyNames(), (std::vector<std::string>{"USB Serial Device (COM101)"}));
}

TEST_F(DeviceSourceLinuxTest, IdentityIsNotSoughtOutsideTheRoot) {
    test::FakeSysfsTree outside(dir.File("outside"));
    const std::string usbFolder = outside.UsbTty("ttyACM0", "usb1/1-1");
    tree.PlatformTty("ttyACM0");
    const fs::path device = tree.Root() + "/sys/devices/platform/serial8250/tty/ttyACM0/device";
    fs::remove(device);
    fs::create_symlink(fs::path(usbFolder) / "1-1:1.0", device);
    EXPECT_EQ(source.QueryDosDevices(), List({"COM201"}));
    EXPECT_TRUE(FriendlyNames().empty());
}

struct AttributeCase {
    const char* Title;
    const char* File;  // in the USB device folder
    std::string Content;
    bool Panel;
};

class MalformedAttributeTest : public DeviceSourceLinuxTest, public ::testing::WithParamInterface<AttributeCase> {};

TEST_P(MalformedAttributeTest, NeverCrashesAndRecognisesOnlyWellFormedIds) {
    const std::string usb = tree.UsbTty("ttyACM0", "usb1/1-1");
    const std::string file = usb + "/" + GetParam().File;
    fs::remove(file);
    if (GetParam().Content == "<fifo>") {
        ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
    } else if (GetParam().Content == "<folder>") {
        fs::create_directory(file);
    } else if (GetParam().Content != "<missing>") {
        tree.Write(fs::relative(file, tree.Root()).string(), GetParam().Content);
    }
    EXPECT_EQ(source.QueryDosDevices(), List({"COM201"}));
    EXPECT_EQ(FriendlyNames().size(), GetParam().Panel ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Attributes, MalformedAttributeTest,
    ::testing::Values(AttributeCase{"UpperCaseVendor", "idVendor", "FFFF\n", true},
                      AttributeCase{"BlanksAroundVendor", "idVendor", "  ffff \r\n", true},
                      AttributeCase{"ShortProductId", "idProduct", "2331", true},
                      AttributeCase{"VendorNotHex", "idVendor", "zzzz\n", false},
                      AttributeCase{"VendorTooLong", "idVendor", "0ffff\n", false},
                      AttributeCase{"VendorEmpty", "idVendor", "", false},
                      AttributeCase{"VendorMissing", "idVendor", "<missing>", false},
                      AttributeCase{"VendorIsAFifo", "idVendor", "<fifo>", false},
                      AttributeCase{"VendorIsAFolder", "idVendor", "<folder>", false},
                      AttributeCase{"ProductIdBinary", "idProduct", std::string("\x01\xff\0\x80", 4), false},
                      AttributeCase{"SerialEmpty", "serial", "\n", false},
                      AttributeCase{"SerialCutAtNul", "serial", std::string("TV\0AK\n", 6), false},
                      AttributeCase{"SerialSecondLineIgnored", "serial", "TVAK\nmore\n", true},
                      AttributeCase{"SerialHuge", "serial", std::string(100000, 'T'), false},
                      AttributeCase{"ProductMissing", "product", "<missing>", true},
                      AttributeCase{"ProductBinary", "product", std::string("\xc3\x28\0\x01", 4), true}),
    [](const ::testing::TestParamInfo<AttributeCase>& info) { return info.param.Title; });

TEST(DeviceSourceLinuxRootTest, AMissingOrUnusableRootGivesAnEmptyList) {
    test::TempDir dir;
    dir.Write("file", "not a folder");
    test::FakeMessageLoop loop;
    for (const std::string& root : {dir.File("missing"), dir.File("file"), dir.File("file/below")}) {
        TDeviceSourceLinux source(loop, root);
        EXPECT_EQ(source.QueryDosDevices(), std::string(1, '\0')) << root;
        const auto set = source.GetClassDevs(kPanelPath);
        ASSERT_NE(set, nullptr);
        EXPECT_FALSE(set->EnumDeviceInfo(0));
        EXPECT_FALSE(source.ProbeExclusive(201));
    }
}

TEST_F(DeviceSourceLinuxTest, ProbeFailsWhileAnotherDescriptorHoldsTheLockAndReleasesItsOwn) {
    tree.UsbTty("ttyACM0", "usb1/1-1");
    const std::string node = tree.Root() + "/dev/ttyACM0";
    EXPECT_TRUE(source.ProbeExclusive(201));
    const int held = ::open(node.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(held, 0);
    // The probe released its lock: another open takes it at once.
    ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);
    EXPECT_FALSE(source.ProbeExclusive(201));
    ::close(held);
    EXPECT_TRUE(source.ProbeExclusive(201));
    EXPECT_FALSE(source.ProbeExclusive(202));   // no node
    EXPECT_FALSE(source.ProbeExclusive(1500));  // no name has that number
}

TEST_F(DeviceSourceLinuxTest, TheSerialDriverFindsPortsUnderTheRoot) {
    tree.PlatformTty("ttyAMA0");
    EXPECT_EQ(source.QueryDosDevices(), List({"COM1001"}));
    EXPECT_EQ(PortDevicePath(201), tree.Root() + "/dev/ttyACM0");
    EXPECT_EQ(PortDevicePath(1001), tree.Root() + "/dev/ttyAMA0");
    EXPECT_EQ(PortDevicePath(1002), "");
    source.SetDeviceRoot(dir.File("other"));
    EXPECT_EQ(PortDevicePath(201), dir.File("other") + "/dev/ttyACM0");
}

TEST(DeviceSourceLinuxLifeTest, TheDefaultPortPathsReturnWithTheSource) {
    test::FakeMessageLoop loop;
    {
        TDeviceSourceLinux source(loop, "/somewhere");
        EXPECT_EQ(PortDevicePath(1), "/somewhere/dev/ttyS0");
    }
    EXPECT_EQ(PortDevicePath(1), "/dev/ttyS0");
}

}  // namespace
}  // namespace zorv
