// The Linux device source against device roots built in a temporary folder.
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "FakeMessageLoop.h"
#include "FakeSysfsTree.h"
#include "RowName.h"
#include "TempDir.h"
#include "discovery/DeviceSourceLinux.h"
#include "foundation/UniqueFdLinux.h"
#include "serial/ComPortDrv.h"
#include "serial/CommBackendLinux.h"

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

void PrintTo(const AttributeCase& c, std::ostream* os) { *os << c.Title; }

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
    test::RowName());

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
    const int held = ::open(node.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(held, 0);
    // The probe released its lock: another open takes it at once.
    ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);
    const TPortResult busy = source.ProbeExclusive(201);
    EXPECT_EQ(busy.Outcome, poBusy);
    EXPECT_EQ(busy.Code, uint32_t(EBUSY));
    EXPECT_EQ(busy.Text, std::strerror(EBUSY));
    EXPECT_EQ(busy.Path, node);
    ::close(held);
    EXPECT_TRUE(source.ProbeExclusive(201));
    EXPECT_EQ(source.ProbeExclusive(202).Outcome, poGone);   // no node
    EXPECT_EQ(source.ProbeExclusive(1500).Outcome, poGone);  // no name has that number
}

// Whether the file at Path was opened while Action ran.
bool OpenedDuring(const std::string& Path, const std::function<void()>& Action) {
    const TUniqueFd watch(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
    if (::inotify_add_watch(watch.Get(), Path.c_str(), IN_OPEN) < 0) ADD_FAILURE() << "cannot watch " << Path;
    Action();
    char events[4096];
    return ::read(watch.Get(), events, sizeof events) > 0;
}

TEST_F(DeviceSourceLinuxTest, WhatIsPlantedInPlaceOfANodeOrAnAttributeIsNeverOpened) {
    // A file, a FIFO or a link to a file in dev is no port, though it could be opened and locked.
    tree.UsbTty("ttyACM0", "usb1/1-1", {}, false);
    tree.Write("dev/ttyACM0", "");
    tree.UsbTty("ttyACM1", "usb1/1-2", {}, false);
    ASSERT_EQ(::mkfifo((tree.Root() + "/dev/ttyACM1").c_str(), 0600), 0);
    tree.UsbTty("ttyACM2", "usb1/1-3", {}, false);
    fs::create_symlink("ttyACM0", tree.Root() + "/dev/ttyACM2");
    for (const int32_t port : {201, 202, 203}) {
        const TPortResult probe = source.ProbeExclusive(port);
        EXPECT_EQ(probe.Outcome, poGone) << port;
        EXPECT_EQ(probe.Code, uint32_t(ENODEV)) << port;
    }
    // An attribute that leads to a device: opening a serial port resets many boards.
    const std::string usb = tree.UsbTty("ttyACM3", "usb1/1-4");
    const std::string device = tree.Node("ttyS9");
    fs::remove(usb + "/product");
    fs::create_symlink(device, usb + "/product");
    EXPECT_FALSE(OpenedDuring(device, [&] {
        const std::vector<std::string> names = FriendlyNames();
        EXPECT_NE(std::find(names.begin(), names.end(), "USB Serial Device (COM204)"), names.end());
    }));
    EXPECT_TRUE(OpenedDuring(device, [&] { ::close(::open(device.c_str(), O_RDONLY | O_NOCTTY)); }));
}

// What the device source and the driver of an unprivileged user met.
struct TUnprivilegedRun {
    int32_t Uid = -1;
    TPortOutcome Refused = poOpened;
    uint32_t RefusedCode = 0;
    char RefusedText[128] = {0};
    char RefusedPath[512] = {0};
    TPortOutcome Permitted = poGone;
    TPortOutcome DriverRefused = poOpened;
    uint32_t DriverCode = 0;
};

constexpr int kCannotDropPrivileges = 77;
constexpr uid_t kNobody = 65534;

void CopyText(char* Destination, size_t Size, const std::string& Text) {
    std::strncpy(Destination, Text.c_str(), Size - 1);
}

// The child's side: drop to nobody where the test runs as root (who passes
// every permission check), probe and open both ports, report through Pipe.
[[noreturn]] void RunUnprivileged(TDeviceSourceLinux& Source, int Pipe) {
    if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0))
        ::_exit(kCannotDropPrivileges);
    TUnprivilegedRun run;
    run.Uid = static_cast<int32_t>(::geteuid());
    const TPortResult refused = Source.ProbeExclusive(201);
    run.Refused = refused.Outcome;
    run.RefusedCode = refused.Code;
    CopyText(run.RefusedText, sizeof run.RefusedText, refused.Text);
    CopyText(run.RefusedPath, sizeof run.RefusedPath, refused.Path);
    run.Permitted = Source.ProbeExclusive(202).Outcome;
    const auto ports = MakeLinuxCommBackend([&Source](int32_t Port) { return Source.DevicePath(Port); });
    CommDrv.Backend = ports.get();
    CommDrv.PortNumber = 201;
    CommDrvOpen(CommDrv);
    run.DriverRefused = CommDrv.OpenResult.Outcome;
    run.DriverCode = CommDrv.OpenResult.Code;
    ::_exit(::write(Pipe, &run, sizeof run) == static_cast<ssize_t>(sizeof run) ? 0 : 1);
}

TEST_F(DeviceSourceLinuxTest, APortTheUserMayNotOpenIsRefusedForWantOfPermission) {
    tree.UsbTty("ttyACM0", "usb1/1-1");
    tree.UsbTty("ttyACM1", "usb1/1-2", {"ffff", "2331", "TVAL", "Zorv GSM"});
    const std::string refusedNode = tree.Root() + "/dev/ttyACM0";
    // As udev leaves a port for root alone, and one for everybody; the folders stay searchable.
    ASSERT_EQ(::chmod(fs::read_symlink(refusedNode).c_str(), ::geteuid() == 0 ? 0600 : 0000), 0);
    ASSERT_EQ(::chmod(fs::read_symlink(tree.Root() + "/dev/ttyACM1").c_str(), 0666), 0);
    for (const std::string& folder : {dir.File(""), tree.Root(), tree.Root() + "/dev"})
        fs::permissions(folder, fs::perms::others_exec, fs::perm_options::add);
    ASSERT_EQ(source.QueryDosDevices(), List({"COM201", "COM202"}));

    int channel[2];
    ASSERT_EQ(::pipe(channel), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) RunUnprivileged(source, channel[1]);
    ::close(channel[1]);
    TUnprivilegedRun run;
    pollfd report{channel[0], POLLIN, 0};
    const bool answered = ::poll(&report, 1, 10000) == 1 && ::read(channel[0], &run, sizeof run) == sizeof run;
    ::close(channel[0]);
    if (!answered) ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (WIFEXITED(status) && WEXITSTATUS(status) == kCannotDropPrivileges)
        GTEST_SKIP() << "this root may not become the user nobody (no CAP_SETUID or CAP_SETGID here)";
    ASSERT_TRUE(answered) << "the unprivileged child did not report within 10 s";

    EXPECT_NE(run.Uid, 0);
    EXPECT_EQ(run.Refused, poDenied);
    EXPECT_EQ(run.RefusedCode, uint32_t(EACCES));
    EXPECT_STREQ(run.RefusedText, std::strerror(EACCES));
    EXPECT_EQ(run.RefusedPath, refusedNode);
    EXPECT_EQ(run.Permitted, poOpened);  // so the refusal is the node's own, not a folder's
    EXPECT_EQ(run.DriverRefused, poDenied);
    EXPECT_EQ(run.DriverCode, uint32_t(EACCES));
}

TEST_F(DeviceSourceLinuxTest, TheSerialDriverFindsPortsUnderTheRoot) {
    tree.PlatformTty("ttyAMA0");
    EXPECT_EQ(source.QueryDosDevices(), List({"COM1001"}));
    EXPECT_EQ(source.DevicePath(201), tree.Root() + "/dev/ttyACM0");
    EXPECT_EQ(source.DevicePath(1001), tree.Root() + "/dev/ttyAMA0");
    EXPECT_EQ(source.DevicePath(1002), "");
    source.SetDeviceRoot(dir.File("other"));
    EXPECT_EQ(source.DevicePath(201), dir.File("other") + "/dev/ttyACM0");
}

}  // namespace
}  // namespace zorv
