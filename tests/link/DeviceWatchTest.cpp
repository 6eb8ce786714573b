// Finding a device again: its identity at open, the folder watch, and the reconnect attempts.
#include "tests/support/PtyPair.h"
#include "tests/support/TempFolder.h"

#include "link/DeviceIdentity.h"
#include "link/DeviceWatch.h"
#include "link/Reconnector.h"
#include "link/SerialPort.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <poll.h>
#include <unistd.h>

namespace t8::test {
namespace {

namespace fs = std::filesystem;

// True when the watch's descriptor turns readable within `ms`.
bool Readable(const DeviceWatch& watch, int ms) {
    pollfd fd{watch.Fd(), POLLIN, 0};
    return ::poll(&fd, 1, ms) == 1;
}

// What the watch makes of the next event within a second: "none", "ours" or "other".
std::string Next(DeviceWatch& watch) {
    if (!Readable(watch, 1000)) {
        return "none";
    }
    return watch.Check() ? "ours" : "other";
}

void Touch(const std::string& path) {
    std::ofstream(path) << "node";
}

TEST(DeviceIdentityTest, KnowsTheAdapterByItsStableNameWheneverThereIsOne) {
    TempFolder dev;
    ASSERT_TRUE(dev.Ok());
    Touch(dev.Path("ttyUSB0"));
    Touch(dev.Path("ttyUSB1"));
    dev.Link("serial/by-id/usb-Other_Adapter-if00", "../../ttyUSB1");
    dev.Link("serial/by-id/usb-T8_Adapter-if00", "../../ttyUSB0");
    const std::string byId = dev.Path("serial/by-id");

    const DeviceIdentity byNode = IdentifyDevice(dev.Path("ttyUSB0"), byId);
    EXPECT_EQ(byNode.node, fs::canonical(dev.Path("ttyUSB0")).string());
    EXPECT_EQ(byNode.byIdLink, dev.Path("serial/by-id/usb-T8_Adapter-if00"));
    EXPECT_EQ(byNode.ReopenPath(), byNode.byIdLink);

    // named by a link of the operator's own, resolved to the same node
    dev.Link("t8", "ttyUSB0");
    EXPECT_EQ(IdentifyDevice(dev.Path("t8"), byId).byIdLink, byNode.byIdLink);

    const DeviceIdentity stable =
        IdentifyDevice(dev.Path("serial/by-id/usb-T8_Adapter-if00"), byId + "/");
    EXPECT_EQ(stable.byIdLink, stable.namedPath);

    Touch(dev.Path("ttyS0")); // an on-board port has no stable name: it is found by its path
    const DeviceIdentity onboard = IdentifyDevice(dev.Path("ttyS0"), byId);
    EXPECT_EQ(onboard.byIdLink, "");
    EXPECT_EQ(onboard.ReopenPath(), dev.Path("ttyS0"));

    dev.Remove("serial"); // no adapter plugged in: the folder is gone
    EXPECT_EQ(IdentifyDevice(dev.Path("ttyUSB0"), byId).byIdLink, "");
    const DeviceIdentity missing = IdentifyDevice(dev.Path("ttyUSB7"), byId);
    EXPECT_EQ(missing.node, dev.Path("ttyUSB7"));
    EXPECT_EQ(missing.ReopenPath(), dev.Path("ttyUSB7"));
}

TEST(DeviceIdentityTest, APtyIsTheSameDeviceAgainOnlyBehindALinkMadeAnew) {
    TempFolder dev;
    ASSERT_TRUE(dev.Ok());
    PtyPair first;
    dev.Link("t8", first.SlavePath());
    const std::string byId = dev.Path("by-id");
    const DeviceIdentity identity = IdentifyDevice(dev.Path("t8"), byId);
    EXPECT_TRUE(identity.pty);
    EXPECT_TRUE(CanComeBack(identity));
    EXPECT_FALSE(SameDeviceAt(identity, dev.Path("t8"))) << "the link as it was at open";

    const DeviceIdentity direct = IdentifyDevice(first.SlavePath(), byId);
    EXPECT_TRUE(direct.pty);
    EXPECT_FALSE(CanComeBack(direct)) << "a pty named by its number is never back";
    EXPECT_FALSE(SameDeviceAt(direct, first.SlavePath()));

    PtyPair second;
    dev.Link("t8", second.SlavePath());
    EXPECT_TRUE(SameDeviceAt(identity, dev.Path("t8")));
    DeviceIdentity renewed = identity; // reconnected: this link is the one that goes stale next
    RenewIdentity(renewed, dev.Path("t8"));
    EXPECT_EQ(renewed.node, second.SlavePath());
    EXPECT_FALSE(SameDeviceAt(renewed, dev.Path("t8")));

    // a link on the way made anew counts as much: t8 -> ttyUSB0 -> pty
    dev.Link("ttyUSB0", second.SlavePath());
    dev.Link("t8", "ttyUSB0");
    const DeviceIdentity chained = IdentifyDevice(dev.Path("t8"), byId);
    EXPECT_EQ(chained.links.size(), 2U);
    EXPECT_FALSE(SameDeviceAt(chained, dev.Path("t8")));
    dev.Link("ttyUSB0", first.SlavePath());
    EXPECT_TRUE(SameDeviceAt(chained, dev.Path("t8")));
    EXPECT_FALSE(SameDeviceAt(chained, first.SlavePath())) << "the bare number never";

    // an adapter's node is the adapter, whatever leads to it: the open decides
    Touch(dev.Path("ttyACM0"));
    dev.Link("acm", "ttyACM0");
    const DeviceIdentity adapter = IdentifyDevice(dev.Path("acm"), byId);
    EXPECT_FALSE(adapter.pty);
    EXPECT_TRUE(SameDeviceAt(adapter, dev.Path("acm")));
    EXPECT_FALSE(IsPtyNode(dev.Path("ttyACM0")));
    EXPECT_FALSE(IsPtyNode("/dev/null")) << "a character device, but no pty";
}

TEST(DeviceIdentityTest, ByPathNamesAnAdapterThatHasNoByIdName) {
    TempFolder dev;
    ASSERT_TRUE(dev.Ok());
    Touch(dev.Path("ttyUSB0"));
    Touch(dev.Path("ttyUSB1"));
    dev.Link("serial/by-path/pci-0000:00:14.0-usb-0:2:1.0-port0", "../../ttyUSB0");
    dev.Link("serial/by-id/usb-T8_Adapter-if00-port0", "../../ttyUSB1");
    const std::string byId = dev.Path("serial/by-id");
    EXPECT_EQ(IdentifyDevice(dev.Path("ttyUSB0"), byId).byIdLink,
              dev.Path("serial/by-path/pci-0000:00:14.0-usb-0:2:1.0-port0"));
    EXPECT_EQ(IdentifyDevice(dev.Path("ttyUSB1"), byId).byIdLink,
              dev.Path("serial/by-id/usb-T8_Adapter-if00-port0"))
        << "by-id first";
    dev.Link("serial/by-path/pci-0000:00:14.0-usb-0:3:1.0-port0", "../../ttyUSB1");
    EXPECT_EQ(IdentifyDevice(dev.Path("ttyUSB1"), byId + "/").byIdLink,
              dev.Path("serial/by-id/usb-T8_Adapter-if00-port0"));
    const std::string byPath = dev.Path("serial/by-path/pci-0000:00:14.0-usb-0:3:1.0-port0");
    EXPECT_EQ(IdentifyDevice(byPath, byId).byIdLink, byPath) << "named by its stable name";
}

// The kernel's tree as it lays out a USB serial adapter, a modem-class device and a UART.
TEST(DeviceIdentityTest, TheUsbSerialNumberIsTheUsbDevicesAboveTheTty) {
    TempFolder sys;
    ASSERT_TRUE(sys.Ok());
    for (const char* usb : {"devices/usb1/1-2", "devices/usb1/1-3"}) {
        fs::create_directories(sys.Path(usb));
        Touch(sys.Path(std::string(usb) + "/idVendor"));
    }
    std::ofstream(sys.Path("devices/usb1/1-2/serial")) << "A10K3X7Q\n";
    std::ofstream(sys.Path("devices/usb1/1-3/serial")) << "T8-0042\n";
    fs::create_directories(sys.Path("devices/usb1/1-2/1-2:1.0/ttyUSB0"));
    fs::create_directories(sys.Path("devices/usb1/1-3/1-3:1.0"));
    fs::create_directories(sys.Path("devices/platform/serial8250"));
    sys.Link("class/tty/ttyUSB0/device", "../../../devices/usb1/1-2/1-2:1.0/ttyUSB0");
    sys.Link("class/tty/ttyACM0/device", "../../../devices/usb1/1-3/1-3:1.0");
    sys.Link("class/tty/ttyS0/device", "../../../devices/platform/serial8250");
    const std::string tty = sys.Path("class/tty");
    EXPECT_EQ(UsbSerialNumber("/dev/ttyUSB0", tty), "A10K3X7Q");
    EXPECT_EQ(UsbSerialNumber("/dev/ttyACM0", tty), "T8-0042");
    EXPECT_EQ(UsbSerialNumber("/dev/ttyS0", tty), "") << "not on USB";
    EXPECT_EQ(UsbSerialNumber("/dev/pts/3", tty), "") << "a pty has no device";
}

TEST(DeviceWatchTest, ReportsOnlyWhatConcernsTheWatchedPathsAndIsQuietOtherwise) {
    TempFolder dev;
    ASSERT_TRUE(dev.Ok());
    DeviceWatch watch;
    ASSERT_GE(watch.Fd(), 0);
    const int fd = watch.Fd();
    ASSERT_TRUE(watch.Watch({dev.Path("ttyUSB0")}));
    EXPECT_FALSE(Readable(watch, 50)) << "nothing happened: nothing to wake for";

    Touch(dev.Path("ttyACM3")); // another device arrives
    EXPECT_EQ(Next(watch), "other");
    EXPECT_FALSE(Readable(watch, 0)) << "the events were taken";

    Touch(dev.Path("ttyUSB0"));
    EXPECT_EQ(Next(watch), "ours");

    // udev sets the permissions after the node appeared
    fs::permissions(dev.Path("ttyUSB0"), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(Next(watch), "ours");

    fs::rename(dev.Path("ttyACM3"), dev.Path("ttyUSB0")); // moved into place
    EXPECT_EQ(Next(watch), "ours");

    watch.Stop();
    EXPECT_FALSE(watch.Watching());
    Touch(dev.Path("ttyUSB1"));
    dev.Remove("ttyUSB0");
    Touch(dev.Path("ttyUSB0"));
    EXPECT_FALSE(Readable(watch, 50)) << "a stopped watch hears nothing";
    EXPECT_FALSE(watch.Check());
    EXPECT_EQ(watch.Fd(), fd) << "the window keeps waiting on the same descriptor";
}

TEST(DeviceWatchTest, FollowsTheStableNameFolderThroughItsGoingAndComing) {
    TempFolder dev;
    ASSERT_TRUE(dev.Ok());
    dev.Link("serial/by-id/usb-T8_Adapter-if00", "../../ttyUSB0");
    DeviceWatch watch;
    ASSERT_TRUE(watch.Watch({dev.Path("serial/by-id/usb-T8_Adapter-if00")}));

    dev.Remove("serial");           // the last adapter went: udev removes the folders too
    EXPECT_NE(Next(watch), "none"); // the watch moves up to the folder that still exists
    EXPECT_TRUE(watch.Watching());
    Touch(dev.Path("unrelated"));
    EXPECT_EQ(Next(watch), "other");

    // the adapter is back: the folders come one by one, then the link
    fs::create_directory(dev.Path("serial"));
    EXPECT_EQ(Next(watch), "ours");
    fs::create_directory(dev.Path("serial/by-id"));
    EXPECT_EQ(Next(watch), "ours");
    dev.Link("serial/by-id/usb-Other_Adapter-if00", "../../ttyUSB1");
    EXPECT_EQ(Next(watch), "other") << "another adapter's link";
    dev.Link("serial/by-id/usb-T8_Adapter-if00", "../../ttyUSB2");
    EXPECT_EQ(Next(watch), "ours");

    // gone again, and back faster than the watch can move down into the new folders
    dev.Remove("serial");
    EXPECT_NE(Next(watch), "none");
    dev.Link("serial/by-id/usb-T8_Adapter-if00", "../../ttyUSB0");
    EXPECT_EQ(Next(watch), "ours");
}

// The device on a pty behind a link in a temporary folder, as the simulator puts it.
class ReconnectorTest : public ::testing::Test {
protected:
    ReconnectorTest()
        : reconnector([this](const std::string& path) {
              tried.push_back(path);
              return port.Open(path);
          }) {}

    // Waits for the watch's events and hands them over, as the window's event loop does.
    bool Event(int ms = 1000) {
        pollfd fd{reconnector.Fd(), POLLIN, 0};
        return ::poll(&fd, 1, ms) == 1 && reconnector.OnWatchEvent();
    }
    static constexpr int kNoEventMs = 100;

    TempFolder dev;
    SerialPort port;
    std::vector<std::string> tried;
    Reconnector reconnector;
};

TEST_F(ReconnectorTest, ANodeNotYetOpenableIsRetriedAFewTimesThenTheNextEventCounts) {
    ASSERT_TRUE(reconnector.Await(IdentifyDevice(dev.Path("t8"), dev.Path("by-id"))));
    dev.Link("t8", dev.Path("node")); // the link first, its node not usable yet
    EXPECT_FALSE(Event());
    int retries = 0;
    while (reconnector.RetryPending()) {
        EXPECT_FALSE(reconnector.OnRetryTimer());
        ++retries;
    }
    EXPECT_EQ(retries, Reconnector::kRetries);
    EXPECT_EQ(tried.size(), static_cast<std::size_t>(Reconnector::kRetries) + 1);
    EXPECT_TRUE(reconnector.Awaiting()) << "still waiting, without a timer";

    PtyPair device;
    dev.Link("t8", dev.Path("node")); // the link made again: an event, and a new round
    EXPECT_FALSE(Event());
    dev.Link("node", device.SlavePath()); // no watched name changed: the timer finds it
    EXPECT_TRUE(reconnector.OnRetryTimer());
    EXPECT_TRUE(port.IsOpen());
    EXPECT_FALSE(reconnector.RetryPending());

    reconnector.Await(IdentifyDevice(dev.Path("t8"), dev.Path("by-id")));
    reconnector.Cancel();
    dev.Link("t8", device.SlavePath());
    EXPECT_FALSE(Event(kNoEventMs)) << "cancelled: an explicit close is no hang-up";
}

// The device's pty closed leaving its link behind, and another program got the number: a change
// at the link (its owner set again) brings no open of it; a link made anew does.
TEST_F(ReconnectorTest, AStaleLinkToAReusedPtyNumberIsNeverTried) {
    auto device = std::make_unique<PtyPair>();
    dev.Link("t8", device->SlavePath());
    const std::string number = device->SlavePath();
    ASSERT_TRUE(reconnector.Await(IdentifyDevice(dev.Path("t8"), dev.Path("by-id"))));
    device.reset();
    const auto others = PtyPair::TakeNumber(number);
    ASSERT_EQ(others.back()->SlavePath(), number);
    ASSERT_EQ(::lchown(dev.Path("t8").c_str(), ::getuid(), ::getgid()), 0);
    EXPECT_FALSE(Event());
    while (reconnector.RetryPending()) {
        EXPECT_FALSE(reconnector.OnRetryTimer());
    }
    EXPECT_TRUE(tried.empty()) << "the stale link was opened";
    EXPECT_FALSE(port.IsOpen());

    PtyPair back;
    dev.Link("t8", back.SlavePath());
    EXPECT_TRUE(Event());
    EXPECT_EQ(tried, std::vector<std::string>{dev.Path("t8")});
    EXPECT_TRUE(port.IsOpen());
}

} // namespace
} // namespace t8::test
