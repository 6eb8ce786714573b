#include "tests/support/LinkTestSupport.h"
#include "tests/support/PtyPair.h"
#include "tests/support/TempFolder.h"

#include "link/LinkError.h"
#include "link/NetworkPort.h"
#include "link/PortFactory.h"
#include "link/SerialLink.h"
#include "link/SerialPort.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

namespace t8::test {
namespace {

// Relative addresses are looked up from the current folder: the test's own, for its lifetime.
struct InFolder {
    explicit InFolder(const std::string& folder) { std::filesystem::current_path(folder, error); }
    InFolder(const InFolder&) = delete;
    InFolder& operator=(const InFolder&) = delete;
    ~InFolder() {
        std::error_code ignored;
        std::filesystem::current_path(previous, ignored);
    }
    std::filesystem::path previous = std::filesystem::current_path();
    std::error_code error;
};

TEST(PortFactoryTest, AnyAddressWithoutASchemeIsASerialDevice) {
    for (const char* path :
         {"/dev/ttyUSB0", "ttyS0", "/dev/serial/by-id/usb-FTDI_FT232R-if00-port0", "/tmp/a://b",
          "./tcp://x", "1tcp://x", "://x", "a b://x"}) {
        EXPECT_EQ(AddressScheme(path), "") << path;
        const auto port = MakePort(path);
        ASSERT_NE(port, nullptr) << path;
        EXPECT_NE(dynamic_cast<SerialPort*>(port.get()), nullptr) << path;
        EXPECT_FALSE(port->IsOpen()) << "made, not opened: " << path;
    }
    EXPECT_EQ(AddressScheme("tcp://host:4000"), "tcp");
    EXPECT_EQ(AddressScheme("rfc2217://host:4000"), "rfc2217");
    EXPECT_EQ(AddressScheme("x-y+z.1://host"), "x-y+z.1");
}

// "tcp://host:4000" is also the relative path tcp:/host:4000; here that path is a real terminal
// that opens, so only the scheme keeps it from being opened.
TEST(PortFactoryTest, AnAddressWithASchemeNoPortServesIsRefusedNotOpenedAsAPath) {
    TempFolder folder;
    PtyPair pty;
    ASSERT_TRUE(folder.Ok() && pty.Ok());
    folder.Link("tcp:/host:4000", pty.SlavePath());
    const InFolder inside(folder.Path(""));
    ASSERT_FALSE(inside.error);
    {
        const OpenedPort asPath = OpenAddress(MakePort, "tcp:/host:4000");
        ASSERT_NE(asPath.port, nullptr) << "the path itself opens";
        EXPECT_EQ(asPath.error, LinkError{});
    }
    for (const char* address : {"ftp://host:4000", "rfc2218://host:4000", "x-y+z.1://host"}) {
        EXPECT_EQ(MakePort(address), nullptr) << address;
        const OpenedPort opened = OpenAddress(MakePort, address);
        EXPECT_EQ(opened.port, nullptr) << address;
        EXPECT_EQ(opened.error, (LinkError{LinkErrorKind::Unsupported, 0})) << address;
    }
}

TEST(PortFactoryTest, AnEmptyAddressNamesNoDeviceAndMakesNoPort) {
    EXPECT_EQ(MakePort(""), nullptr);
    int made = 0;
    const PortFactory counting = [&](const std::string& address) {
        ++made;
        return MakePort(address);
    };
    const OpenedPort opened = OpenAddress(counting, "");
    EXPECT_EQ(opened.port, nullptr);
    EXPECT_EQ(opened.error, (LinkError{LinkErrorKind::NoAddress, 0}));
    EXPECT_EQ(made, 0);
}

TEST(PortFactoryTest, AFailedOpenGivesThePortsOwnError) {
    TempFolder folder;
    ASSERT_TRUE(folder.Ok());
    std::ofstream(folder.Path("plain")) << "not a terminal";
    const OpenedPort plain = OpenAddress(MakePort, folder.Path("plain"));
    EXPECT_EQ(plain.port, nullptr);
    EXPECT_EQ(plain.error, (LinkError{LinkErrorKind::NotATerminal, ENOTTY}));
    EXPECT_EQ(OpenAddress(MakePort, folder.Path("none")).error,
              (LinkError{LinkErrorKind::NotFound, ENOENT}));
    // a pty's master side is a terminal, yet never a device: each open is a new, empty pty
    EXPECT_EQ(OpenAddress(MakePort, "/dev/ptmx").error,
              (LinkError{LinkErrorKind::NotATerminal, ENOTTY}));
    // a driver that answers a terminal request with EINVAL is no serial device either
    EXPECT_EQ(OpenAddress(MakePort, "/dev/random").error,
              (LinkError{LinkErrorKind::NotATerminal, EINVAL}));
}

TEST(LinkErrorTest, EachErrnoOfAnOpenHasItsKind) {
    const std::pair<LinkErrorKind, std::vector<int>> kinds[] = {
        {LinkErrorKind::NotFound, {ENOENT, ENODEV, ENXIO}},
        {LinkErrorKind::Busy, {EBUSY, EAGAIN}},
        {LinkErrorKind::PermissionDenied, {EACCES, EPERM}},
        {LinkErrorKind::NotATerminal, {ENOTTY}},
        {LinkErrorKind::Other, {EIO, EISDIR}},
    };
    for (const auto& [kind, errors] : kinds) {
        for (const int error : errors) {
            EXPECT_EQ(LinkError::FromErrno(error), (LinkError{kind, error})) << error;
        }
    }
    EXPECT_EQ(LinkError::FromErrno(0), LinkError{});
}

TEST(PortFactoryTest, NetworkAddressesInAnyCaseMakeANetworkPort) {
    for (const char* address : {"rfc2217://host:4000", "tcp://[::1]:4000", "socket://h:1",
                                "RFC2217://host:4000", "Tcp://host", "tcp://"}) {
        const auto port = MakePort(address);
        ASSERT_NE(port, nullptr) << address;
        EXPECT_NE(dynamic_cast<NetworkPort*>(port.get()), nullptr) << address;
    }
}

// The link opens through MakePort when given no factory of its own.
TEST(PortFactoryTest, TheLinkTellsTheOperatorOfAnAddressNoPortServes) {
    RecordingUi ui;
    RecordingTarget target;
    SerialLink link(ui, target);
    ASSERT_EQ(link.CreateLinkRecord(), 1);
    link.SetPortOverride("ftp://bench-7:4000");
    EXPECT_EQ(link.OpenPort(), 0);
    EXPECT_EQ(link.LastOpenError(), (LinkError{LinkErrorKind::Unsupported, 0}));
    EXPECT_EQ(link.OpenFailureMessage(),
              "Cannot create connection via port ftp://bench-7:4000!\n"
              "ftp://bench-7:4000 don't exist or is used by another application.\n\n"
              "ftp://bench-7:4000: addresses of the kind \"ftp://\" are not supported; "
              "name a serial device, such as /dev/ttyUSB0, or a network port, such as "
              "rfc2217://HOST:PORT");

    PtyPair pty;
    ASSERT_TRUE(pty.Ok());
    link.SetPortOverride(pty.SlavePath());
    ASSERT_NE(link.OpenPort(), 0);
    EXPECT_EQ(link.LastOpenError(), LinkError{}) << "an open that worked leaves no error";
    link.ClosePort();
}

} // namespace
} // namespace t8::test
