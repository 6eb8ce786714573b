// The port doctor on a fake system: a /dev, /sys, /proc and udev data folder built per test.
#include "tests/support/PtyPair.h"
#include "tests/support/TempFolder.h"

#include "link/ComPortSettings.h"
#include "link/LineFrame.h"
#include "link/LinkNotices.h"
#include "link/OpenFailureReport.h"
#include "link/PortDoctor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace t8::test {
namespace {

namespace fs = std::filesystem;
using Kind = PortFinding::Kind;

// An FTDI adapter at dev/ttyUSB0 as the kernel and udev describe it, with every cause of
// trouble present: a terminal program holds it, brltty and ModemManager run, udev has not
// marked it, and its latency timer is the driver's default.
class PortDoctorTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(root.Ok());
        Node("dev/ttyUSB0");
        root.Link("dev/serial/by-id/usb-FTDI_T8-if00-port0", "../../ttyUSB0");
        const std::string port = "sys/devices/usb1/1-2/1-2:1.0/ttyUSB0";
        Write("sys/devices/usb1/1-2/idVendor", "0403\n");
        Write("sys/devices/usb1/1-2/idProduct", "6001\n");
        Write(port + "/latency_timer", "16\n");
        fs::create_directories(root.Path("sys/bus/usb-serial/drivers/ftdi_sio"));
        root.Link(port + "/driver", root.Path("sys/bus/usb-serial/drivers/ftdi_sio"));
        root.Link("sys/class/tty/ttyUSB0/device", root.Path(port));
        Write("sys/class/tty/ttyUSB0/dev", "188:0\n");
        Write("run/udev/data/c188:0", "S:serial/by-id/usb-FTDI_T8-if00-port0\nE:ID_VENDOR=FTDI\n");
        Process(4242, "minicom", "dev/ttyUSB0");
        Process(4300, "bash", "dev/null");
        Write("dev/null", "");
        Process(812, "brltty");
        Process(633, "ModemManager");
    }

    void Write(const std::string& relative, const std::string& text) const {
        fs::create_directories(fs::path(root.Path(relative)).parent_path());
        std::ofstream(root.Path(relative)) << text;
    }
    // A character device node (with the numbers of /dev/null, which the kernel's tree above
    // does not care about); making one needs root, as CI runs.
    void Node(const std::string& relative) const {
        fs::create_directories(fs::path(root.Path(relative)).parent_path());
        if (::mknod(root.Path(relative).c_str(), S_IFCHR | 0600, makedev(1, 3)) != 0) {
            GTEST_SKIP() << "making device nodes needs root";
        }
    }
    void Process(int pid, const std::string& comm, const std::string& opened = {}) const {
        const std::string folder = "proc/" + std::to_string(pid);
        Write(folder + "/comm", comm + "\n");
        fs::create_directories(root.Path(folder + "/fd"));
        if (!opened.empty()) {
            root.Link(folder + "/fd/3", root.Path(opened));
        }
    }
    [[nodiscard]] std::vector<PortFinding> Examine(const std::string& device) const {
        return PortDoctor({root.Path("dev"), root.Path("sys"), root.Path("proc"),
                           root.Path("run/udev/data")})
            .Examine(device);
    }
    [[nodiscard]] std::vector<Kind> Kinds(const std::string& device) const {
        std::vector<Kind> kinds;
        for (const PortFinding& finding : Examine(device)) {
            kinds.push_back(finding.kind);
        }
        return kinds;
    }
    [[nodiscard]] std::string TextOf(Kind kind, const std::string& device) const {
        for (const PortFinding& finding : Examine(device)) {
            if (finding.kind == kind) {
                return finding.text;
            }
        }
        return "-";
    }

    TempFolder root;
};

TEST_F(PortDoctorTest, EachCauseIsFoundAndGoesWithItsCause) {
    const std::string device = root.Path("dev/serial/by-id/usb-FTDI_T8-if00-port0");
    const std::string node = fs::canonical(root.Path("dev/ttyUSB0")).string();
    EXPECT_EQ(Kinds(device),
              (std::vector{Kind::Held, Kind::Brltty, Kind::ModemManager, Kind::FtdiLatency}));
    EXPECT_EQ(TextOf(Kind::Held, device), node + " is open in the program \"minicom\" (process "
                                                 "4242). Close it there, or end it: kill 4242");
    EXPECT_NE(TextOf(Kind::Brltty, device).find("(process 812)"), std::string::npos);
    EXPECT_NE(TextOf(Kind::Brltty, device).find("sudo systemctl mask brltty-udev.service"),
              std::string::npos);
    EXPECT_NE(TextOf(Kind::ModemManager, device)
                  .find("\n  ATTRS{idVendor}==\"0403\", ATTRS{idProduct}==\"6001\", "
                        "ENV{ID_MM_DEVICE_IGNORE}=\"1\"\n"),
              std::string::npos);
    const std::string latency = TextOf(Kind::FtdiLatency, device);
    EXPECT_NE(latency.find("latency timer is 16 ms"), std::string::npos);
    EXPECT_NE(latency.find("echo 1 | sudo tee " + root.Path("sys") +
                           "/bus/usb-serial/devices/ttyUSB0/latency_timer\n"),
              std::string::npos);
    EXPECT_NE(latency.find("DRIVER==\"ftdi_sio\", ATTR{latency_timer}=\"1\""), std::string::npos);

    // each cause removed takes its finding with it, and only that one
    root.Remove("proc/4242/fd/3");
    EXPECT_EQ(Kinds(device), (std::vector{Kind::Brltty, Kind::ModemManager, Kind::FtdiLatency}));
    root.Remove("proc/812");
    EXPECT_EQ(Kinds(device), (std::vector{Kind::ModemManager, Kind::FtdiLatency}));
    Write("run/udev/data/c188:0", "E:ID_VENDOR=FTDI\nE:ID_MM_DEVICE_IGNORE=1\n");
    EXPECT_EQ(Kinds(device), (std::vector{Kind::FtdiLatency}));
    Write("sys/devices/usb1/1-2/1-2:1.0/ttyUSB0/latency_timer", "1\n");
    EXPECT_EQ(Kinds(device), std::vector<Kind>{});
    EXPECT_EQ(PortFindingsText(device, Examine(device)), "No problems found with " + device + ".");
}

TEST_F(PortDoctorTest, OnlyUsbAdaptersConcernTheDaemonsAndOnlyFtdiTheLatency) {
    Write("run/udev/data/c188:0", "");
    // a modem-class device without USB ids in the tree is matched by its kernel name
    Node("dev/ttyACM0");
    Write("sys/class/tty/ttyACM0/dev", "166:0\n");
    EXPECT_EQ(Kinds("ttyACM0"), (std::vector{Kind::Brltty, Kind::ModemManager}))
        << "a bare name is looked for in the dev folder";
    EXPECT_NE(TextOf(Kind::ModemManager, "ttyACM0").find("\n  KERNEL==\"ttyACM0\", ENV{"),
              std::string::npos);
    // an on-board UART and a pty: nothing for the daemons, no latency timer
    Node("dev/ttyS0");
    Write("sys/class/tty/ttyS0/dev", "4:64\n");
    EXPECT_EQ(Kinds(root.Path("dev/ttyS0")), std::vector<Kind>{});
    // another driver's latency timer is none of ours
    root.Link("sys/devices/usb1/1-2/1-2:1.0/ttyUSB0/driver",
              root.Path("sys/bus/usb-serial/drivers/cp210x"));
    EXPECT_EQ(TextOf(Kind::FtdiLatency, "ttyUSB0"), "-");
}

TEST_F(PortDoctorTest, AMissingDeviceIsSaidPlainlyAndBrlttyStillNamed) {
    EXPECT_EQ(Kinds(root.Path("dev/ttyUSB5")), (std::vector{Kind::Missing, Kind::Brltty}))
        << "brltty is the usual reason an adapter's port vanishes";
    EXPECT_EQ(TextOf(Kind::Missing, root.Path("dev/ttyUSB5")),
              root.Path("dev/ttyUSB5") +
                  " does not exist: the device is unplugged, switched off or has another name "
                  "(see ls -l /dev/serial/by-id).");
    root.Link("dev/t8", "ttyS9"); // a link to nothing
    EXPECT_EQ(TextOf(Kind::Missing, root.Path("dev/t8"))
                  .rfind(root.Path("dev/t8") + " is a link to ttyS9, which "
                                               "leads to no device",
                         0),
              0U);
    EXPECT_EQ(Examine("").size(), 1U);
    // what is there but no device is said so, and nothing else is looked at
    ASSERT_EQ(::mkfifo(root.Path("dev/pipe").c_str(), 0600), 0);
    EXPECT_EQ(TextOf(Kind::Missing, "pipe"),
              root.Path("dev/pipe") + " is a named pipe, not a serial device.");
    EXPECT_EQ(Examine("../proc").size(), 1U) << "a folder";
    const std::string text = PortFindingsText("ttyUSB5", Examine("ttyUSB5"));
    EXPECT_EQ(text.rfind("Checked ttyUSB5:\n\n" + root.Path("dev/ttyUSB5") + " does not exist", 0),
              0U);
}

// A simulator holds its pty's master: it is the device, not a program in the way. Another
// terminal program on the same pty is.
TEST_F(PortDoctorTest, ThePtysOwnSideIsNoHolder) {
    PtyPair pty;
    ASSERT_TRUE(pty.Ok());
    const std::string number = fs::path(pty.SlavePath()).filename().string();
    root.Link("dev/t8", pty.SlavePath());
    Process(900, "t8sim", "dev/t8");
    Write("proc/900/fdinfo/4", "pos:\t0\nflags:\t02\ntty-index:\t" + number + "\n");
    EXPECT_EQ(Kinds(root.Path("dev/t8")), std::vector<Kind>{});
    Write("proc/900/fdinfo/4", "pos:\t0\ntty-index:\t" + number + "0\n"); // another pty's
    EXPECT_EQ(Kinds(root.Path("dev/t8")), std::vector<Kind>{Kind::Held});
}

// A character device of another kind (the fixture's nodes have /dev/null's numbers) is no serial
// device: the programs holding it open are not why it fails.
TEST_F(PortDoctorTest, ADeviceOfAnotherKindIsSaidToBeNoSerialDevice) {
    fs::create_directories(root.Path("sys/class/mem"));
    root.Link("sys/dev/char/1:3/subsystem", root.Path("sys/class/mem"));
    const std::vector<PortFinding> findings = Examine("ttyUSB0");
    ASSERT_EQ(findings.size(), 1U);
    EXPECT_EQ(findings[0].text,
              root.Path("dev/ttyUSB0") + " is a device of the kind \"mem\", not a serial device.");
    fs::create_directories(root.Path("sys/class/tty"));
    root.Link("sys/dev/char/1:3/subsystem", root.Path("sys/class/tty"));
    EXPECT_EQ(TextOf(Kind::Held, "ttyUSB0").find(" is open in the program \"minicom\""),
              root.Path("dev/ttyUSB0").size());
}

// Names from the system are shown without their control characters.
TEST_F(PortDoctorTest, ANameWithControlCharactersCannotSplitTheMessage) {
    Process(5000, "evil\x1b[2J\rname", "dev/ttyUSB0");
    const std::vector<PortFinding> findings = Examine("ttyUSB0");
    const auto held = std::count_if(findings.begin(), findings.end(),
                                    [](const PortFinding& f) { return f.kind == Kind::Held; });
    EXPECT_EQ(held, 2);
    const std::string text = PortFindingsText("tty\nUSB0", findings);
    EXPECT_NE(text.find("\"evil?[2J?name\" (process 5000)"), std::string::npos);
    EXPECT_EQ(text.find('\x1b'), std::string::npos);
    EXPECT_EQ(text.find('\r'), std::string::npos);
    EXPECT_EQ(text.rfind("Checked tty?USB0:", 0), 0U);
}

// The start-up message carries what the doctor finds at a device that would not open, and none
// of it where no cause of the device's own is to be found or no doctor was asked.
TEST_F(PortDoctorTest, AnOpenFailureReportAddsTheFindingsOnlyWhereADeviceMayHaveACause) {
    const std::string device = root.Path("dev/ttyUSB0");
    const SystemRoots roots{root.Path("dev"), root.Path("sys"), root.Path("proc"),
                            root.Path("run/udev/data")};
    const LineSettings line = ComPortSettings{}.Line();
    const LinkError busy = LinkError::FromErrno(EBUSY);
    const std::string report = OpenFailureReport("COM1", device, line, busy, roots);
    const std::string plain = OpenFailureText("COM1", device, busy);
    EXPECT_EQ(report.rfind(plain + "\n\nThe port check found:\n\n" + TextOf(Kind::Held, device), 0),
              0U)
        << report;
    EXPECT_NE(report.find("\n\n" + TextOf(Kind::FtdiLatency, device)), std::string::npos);

    EXPECT_EQ(OpenFailureReport("COM1", device, line, busy, std::nullopt), plain);
    const std::string address = "rfc2217://localhost:4001";
    EXPECT_EQ(OpenFailureReport(address, address, line, busy, roots),
              OpenFailureText(address, address, busy));
    const LinkError refused = LinkError::SettingsRefused(EINVAL);
    EXPECT_EQ(OpenFailureReport("COM1", device, line, refused, roots),
              OpenFailureText("COM1", device, refused, FrameProblem(line)));
}

} // namespace
} // namespace t8::test
