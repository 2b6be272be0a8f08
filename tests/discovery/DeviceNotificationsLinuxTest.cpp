// Arrivals and removals of the Linux device source, from real inotify events
// on a device root in a temporary folder. Waits are bounded; nothing is timed.
#include <sys/resource.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>
#include <vector>

#include "FakeMessageLoop.h"
#include "FakeSysfsTree.h"
#include "TempDir.h"
#include "discovery/DeviceSourceLinux.h"

namespace zorv {
namespace {
namespace fs = std::filesystem;

// Counts what the watcher thread posts before the test runs it.
class CountingLoop : public test::FakeMessageLoop {
public:
    void RunOnUiThread(std::function<void()> fn) override {
        ++Posted;
        FakeMessageLoop::RunOnUiThread(std::move(fn));
    }
    std::atomic<int> Posted{0};
};

class DeviceNotificationsTest : public ::testing::Test {
protected:
    DeviceNotificationsTest() : tree(dir.File("root")) {}

    void Register(TDeviceSourceLinux& source) {
        source.RegisterNotifications([this](const TDeviceChangeMessage& m) {
            EXPECT_EQ(m.DeviceType, kDbtDevTypDeviceInterface);
            received.push_back(m.WParam);
        });
    }
    // Runs posted notices until count of them have arrived, for at most 5 s.
    bool WaitForNotices(size_t count) {
        for (int i = 0; i < 1000 && received.size() < count; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            loop.RunPending();
        }
        return received.size() >= count;
    }
    bool WaitForPosts(int count) {
        for (int i = 0; i < 1000 && loop.Posted < count; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return loop.Posted >= count;
    }
    void Link(const std::string& name) { fs::create_symlink("/dev/null", tree.Root() + "/dev/" + name); }

    test::TempDir dir;
    test::FakeSysfsTree tree;
    CountingLoop loop;
    std::vector<uint32_t> received;
};

TEST_F(DeviceNotificationsTest, TtyNodesCreatedRemovedOrGivenNewPermissionsArriveOnTheLoopThread) {
    TDeviceSourceLinux source(loop, tree.Root());
    Register(source);
    Link("ttyACM0");
    ASSERT_TRUE(WaitForNotices(1));
    fs::remove(tree.Root() + "/dev/ttyACM0");
    ASSERT_TRUE(WaitForNotices(2));
    tree.Node("null");  // not a port: no notice
    tree.Node("ttyUSB0");
    ASSERT_TRUE(WaitForNotices(3));
    fs::rename(tree.Root() + "/dev/ttyUSB0", tree.Root() + "/ttyUSB0");
    ASSERT_TRUE(WaitForNotices(4));
    // udev gives a new node its group and mode a moment after creating it.
    tree.Write("dev/ttyACM3", "");
    ASSERT_TRUE(WaitForNotices(5));
    fs::permissions(tree.Root() + "/dev/ttyACM3", fs::perms::group_read | fs::perms::group_write,
                    fs::perm_options::add);
    ASSERT_TRUE(WaitForNotices(6));
    EXPECT_EQ(received, (std::vector<uint32_t>{kDbtDeviceArrival, kDbtDeviceRemoveComplete, kDbtDeviceArrival,
                                               kDbtDeviceRemoveComplete, kDbtDeviceArrival, kDbtDeviceArrival}));
}

TEST_F(DeviceNotificationsTest, NothingArrivesBeforeRegistration) {
    TDeviceSourceLinux source(loop, tree.Root());
    Link("ttyACM0");
    Register(source);
    Link("ttyACM1");
    ASSERT_TRUE(WaitForNotices(1));
    loop.RunPending();
    EXPECT_EQ(received.size(), 1u);
}

TEST_F(DeviceNotificationsTest, ADevFolderThatAppearsLaterIsWatched) {
    fs::remove_all(tree.Root() + "/dev");
    TDeviceSourceLinux source(loop, tree.Root());
    Register(source);
    fs::create_directory(tree.Root() + "/dev");
    ASSERT_TRUE(WaitForNotices(1));
    EXPECT_EQ(received.back(), kDbtDeviceArrival);
    Link("ttyACM0");
    ASSERT_TRUE(WaitForNotices(2));
    EXPECT_EQ(received.back(), kDbtDeviceArrival);
}

TEST_F(DeviceNotificationsTest, ARemovedDevFolderRemovesItsPortsAndIsWatchedAgainWhenBack) {
    TDeviceSourceLinux source(loop, tree.Root());
    Register(source);
    fs::remove_all(tree.Root() + "/dev");
    ASSERT_TRUE(WaitForNotices(1));
    EXPECT_EQ(received.back(), kDbtDeviceRemoveComplete);
    fs::create_directory(tree.Root() + "/dev");
    ASSERT_TRUE(WaitForNotices(2));
    Link("ttyACM0");
    ASSERT_TRUE(WaitForNotices(3));
    EXPECT_EQ(received.back(), kDbtDeviceArrival);
}

TEST_F(DeviceNotificationsTest, ANewRootIsWatchedInsteadOfTheOld) {
    test::FakeSysfsTree other(dir.File("other"));
    TDeviceSourceLinux source(loop, tree.Root());
    Register(source);
    source.SetDeviceRoot(other.Root());
    Link("ttyACM0");  // in the old root
    other.Node("ttyACM5");
    ASSERT_TRUE(WaitForNotices(1));
    other.Node("ttyACM6");
    ASSERT_TRUE(WaitForNotices(2));
    loop.RunPending();
    EXPECT_EQ(received, (std::vector<uint32_t>{kDbtDeviceArrival, kDbtDeviceArrival}));
}

TEST_F(DeviceNotificationsTest, NoticesPostedBeforeDestructionReachNoOne) {
    {
        TDeviceSourceLinux source(loop, tree.Root());
        Register(source);
        Link("ttyACM0");
        ASSERT_TRUE(WaitForPosts(1));
    }
    loop.RunPending();
    EXPECT_TRUE(received.empty());
}

double ProcessCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

TEST_F(DeviceNotificationsTest, WatchersWaitWithoutSpinningEvenWithoutARoot) {
    TDeviceSourceLinux missing(loop, dir.File("missing"));
    Register(missing);
    TDeviceSourceLinux present(loop, tree.Root());
    Register(present);
    const double before = ProcessCpuSeconds();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    // A spinning thread would burn nearly all of the 300 ms.
    EXPECT_LT(ProcessCpuSeconds() - before, 0.15);
    EXPECT_TRUE(received.empty());
}

}  // namespace
}  // namespace zorv
