#include "settings/ComPortSettings.h"
#include "settings/DirectoryPath.h"
#include "settings/PortList.h"
#include "settings/SerialDevices.h"
#include "settings/TypedPort.h"
#include "tests/support/PtyPair.h"
#include "tests/support/TempFolder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>

namespace t8 {
namespace {

using ::testing::ElementsAre;

std::vector<std::string> Texts(const PortList& list) {
    std::vector<std::string> texts;
    for (const PortEntry& entry : list.Entries()) {
        texts.push_back(entry.Text());
    }
    return texts;
}

// A system where only the given devices open.
PortScanner Openable(std::set<std::string> paths, std::vector<SerialDeviceInfo> devices = {}) {
    PortScanner scanner;
    scanner.opens = [paths](const std::string& path) { return paths.count(path) != 0; };
    scanner.exists = [paths](const std::string& path) { return paths.count(path) != 0; };
    scanner.deviceProblem = [paths](const std::string& path) {
        return paths.count(path) != 0 ? std::string() : "There is no " + path + ".";
    };
    scanner.devices = std::move(devices);
    return scanner;
}

TEST(ComPortSettingsTest, RatesOutsideTheListAreShownInPlaceAndKept) {
    const BaudList stored = MakeBaudList(19200);
    EXPECT_THAT(stored.entries, ElementsAre("300", "600", "1200", "2400", "4800", "9600", "14400",
                                            "19200", "28800", "115200"));
    EXPECT_EQ(stored.selected, 7);
    EXPECT_EQ(BaudFromText(stored.entries[7], 115200), 19200U);
    // above the list it comes last; no rate at all selects the first entry, as the fixed list did
    for (const auto& [rate, size, selected] : {std::tuple{230400U, kBaudEntries.size() + 1, 9},
                                               {115200U, kBaudEntries.size(), 8},
                                               {0U, kBaudEntries.size(), 0}}) {
        const BaudList list = MakeBaudList(rate);
        EXPECT_EQ(std::pair(list.entries.size(), list.selected), std::pair(size, selected)) << rate;
    }
    EXPECT_EQ(MakeBaudList(230400).entries.back(), "230400");
}

TEST(ComPortSettingsTest, TypedRatesAreTakenWithinBoundsOnly) {
    for (const auto& [text, fallback, rate] :
         {std::tuple{std::string(" 57600 "), 9600U, 57600U},
          {"", 9600U, 9600U},
          {"96OO", 9601U, 9601U},
          {std::to_string(kMinTypedBaud - 1), 300U, 300U},
          {std::to_string(kMaxTypedBaud + 1), 300U, 300U},
          {std::to_string(kMaxTypedBaud), 300U, kMaxTypedBaud}}) {
        EXPECT_EQ(BaudFromText(text, fallback), rate) << text;
    }
}

// Each list's texts give back their codes; unknown codes show the first entry (8 bits: the last).
TEST(ComPortSettingsTest, ListCodesRoundTripAndUnknownCodesFallBack) {
    for (std::uint8_t size = 3; size <= 8; ++size) {
        const auto text = kDataBitsEntries[static_cast<std::size_t>(DataBitsIndex(size))];
        EXPECT_EQ(ByteSizeFromText(text), size == 3 ? 8 : size);
    }
    for (std::uint8_t parity = kParityNone; parity <= 9; ++parity) {
        const auto text = kParityEntries[static_cast<std::size_t>(ParityIndex(parity))];
        EXPECT_EQ(ParityFromText(text), parity <= kParitySpace ? parity : kParityNone) << text;
    }
    EXPECT_EQ(kParityEntries[static_cast<std::size_t>(ParityIndex(kParityMark))], "MARK");
    EXPECT_EQ(kStopBitsEntries[static_cast<std::size_t>(StopBitsIndex(kStopOneAndHalf))],
              "1 1/2 bit");
    EXPECT_EQ(StopBitsIndex(7), 0);
    // typed texts: any case; what no entry names falls back
    EXPECT_EQ(std::tuple(ByteSizeFromText("7 BITS"), ByteSizeFromText("9 bits"),
                         ParityFromText("odd"), StopBitsFromText("1 1/2 BIT"),
                         StopBitsFromText("2 bits")),
              std::tuple(7, 8, kParityOdd, kStopOneAndHalf, kStopTwo));
}

TEST(ComPortSettingsTest, FlowBoxesApplyOneBitAfterTheOther) {
    EXPECT_EQ(ApplyFlowBoxes(kFlowXonXoff, false, false, true), kFlowXonXoff);
    EXPECT_EQ(ApplyFlowBoxes(0x07, false, true, false), kFlowRtsCts);
    EXPECT_EQ(ApplyFlowBoxes(0, true, true, true), 0x07);
    // bits the boxes do not show survive only while every box is checked
    EXPECT_EQ(ApplyFlowBoxes(0x80, true, true, true), 0x87);
    EXPECT_EQ(ApplyFlowBoxes(0x80, true, false, true), kFlowDtrDsr | kFlowXonXoff);
}

TEST(PortListTest, ListsOnlyTheNumbersThatOpenAndSelectsTheStoredOne) {
    ComPortSettings settings;
    const PortScanner scanner = Openable({"/dev/ttyUSB0", "/dev/ttyUSB2", "/dev/ttyACM1"});
    const PortList list(scanner, settings, {});
    EXPECT_THAT(Texts(list),
                ElementsAre("1 - /dev/ttyUSB0", "3 - /dev/ttyUSB2", "10 - /dev/ttyACM1"));
    EXPECT_EQ(list.Selected(), 0);

    settings.comPort = 10;
    EXPECT_EQ(PortList(scanner, settings, {}).Selected(), 2);
}

TEST(PortListTest, AStoredPortThatIsHeldElsewhereGivesWayToTheFirst) {
    ComPortSettings settings; // port 1, whose device does not open
    const PortList list(Openable({"/dev/ttyUSB2", "/dev/ttyS0"}), settings, {});
    EXPECT_THAT(Texts(list), ElementsAre("3 - /dev/ttyUSB2", "17 - /dev/ttyS0"));
    ASSERT_EQ(list.Selected(), 0);
    EXPECT_FALSE(ApplyPortEntry(list.Entries()[0], settings));
    EXPECT_EQ(settings.comPort, 3);

    const PortList empty(Openable({}), settings, {});
    EXPECT_TRUE(empty.Entries().empty());
    EXPECT_EQ(empty.Selected(), -1);
    settings.devicePath = "/dev/pts/9";
    ApplyPortEntry(std::nullopt, settings); // nothing to choose: the port stays as it was
    EXPECT_EQ(settings.comPort, 3);
    EXPECT_EQ(settings.devicePath, "/dev/pts/9");
}

TEST(PortListTest, DescribesAdaptersAndOffersTheOtherDevices) {
    const std::vector<SerialDeviceInfo> devices = {
        {"/dev/ttyUSB0", "FT232R USB UART", "FTDI", "A600XYZ", {}},
        {"/dev/ttyAMA0", {}, {}, {}, {}},
        {"/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A600XYZ-if00-port0", "FT232R USB UART", "FTDI",
         "A600XYZ", "/dev/ttyUSB0"},
        {"/dev/ttyUSB1", "CP2102", "Silicon Labs", {}, {}}, // present, but held elsewhere
    };
    ComPortSettings settings;
    settings.devicePath = devices[2].path;
    const PortList list(Openable({"/dev/ttyUSB0"}, devices), settings, {});
    EXPECT_THAT(Texts(list),
                ElementsAre("1 - /dev/ttyUSB0 (FT232R USB UART, FTDI, serial A600XYZ)",
                            "/dev/ttyAMA0",
                            "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A600XYZ-if00-port0 "
                            "(FT232R USB UART, FTDI, serial A600XYZ, = /dev/ttyUSB0)"));
    EXPECT_EQ(list.Selected(), 2);

    // choosing a numbered entry clears the stored device
    EXPECT_FALSE(ApplyPortEntry(list.Entries()[0], settings));
    EXPECT_TRUE(settings.devicePath.empty());
    EXPECT_FALSE(ApplyPortEntry(list.Entries()[1], settings));
    EXPECT_EQ(settings.devicePath, "/dev/ttyAMA0");
    EXPECT_EQ(settings.comPort, 1);
}

TEST(PortListTest, TypedTextNamesAnEntryANumberOrADevice) {
    ComPortSettings settings;
    const PortList list(Openable({"/dev/ttyUSB0", "/dev/pts/5", "/dev/ttyACM0", "/dev/pts/11"}),
                        settings, "/dev/pts/5");
    // "kind number path" of what the text names, "-" for nothing
    const auto named = [&list](const std::string& text) {
        const auto entry = list.Interpret(text).entry;
        return entry ? std::to_string(static_cast<int>(entry->kind)) + " " +
                           std::to_string(entry->number) + " " + entry->path
                     : "-";
    };
    EXPECT_EQ(named(list.Entries()[0].Text()), "0 1 /dev/ttyUSB0");
    EXPECT_EQ(named("/dev/pts/5"), "2 0 /dev/pts/5") << "run only";
    EXPECT_EQ(named(" 17 "), "0 17 /dev/ttyS0");
    EXPECT_EQ(named("/dev/ttyACM0"), "0 9 /dev/ttyACM0");
    EXPECT_EQ(named("/dev/pts/11"), "1 0 /dev/pts/11") << "a device";
    for (const char* nothing : {"99", "COM1", "   "}) {
        EXPECT_EQ(named(nothing), "-") << nothing;
    }
}

// Typed texts the page takes, and those it refuses with the reason, on a dev folder of the
// test's own whose names lead to real character devices.
TEST(PortListTest, TypedEntriesAreTakenOrRefusedWithTheirReason) {
    test::TempFolder dev;
    ASSERT_TRUE(dev.Ok());
    dev.Link("ttyUSB0", "/dev/null");
    std::ofstream(dev.Path("notes")) << "x";
    PortScanner scanner;
    scanner.deviceProblem = DeviceFileProblem;
    scanner.devFolder = dev.Path("");
    scanner.devFolder.pop_back(); // no trailing '/'
    const std::string folder = scanner.devFolder;
    const PortList list(scanner, ComPortSettings{}, {});
    // "kind path" of the entry chosen, or the refusal
    const auto chosen = [&list](const std::string& text) {
        const PortChoice choice = list.Interpret(text);
        return choice.entry
                   ? std::to_string(static_cast<int>(choice.entry->kind)) + " " + choice.entry->path
                   : choice.problem;
    };
    const std::string advice = " Name a device in " + folder +
                               " (such as ttyUSB0), its full path, or a network address "
                               "(rfc2217://HOST:PORT).";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {" ttyUSB0 ", "1 " + folder + "/ttyUSB0"},
        {"ttyUSB9", "There is no " + folder + "/ttyUSB9." + advice},
        {"notes", folder + "/notes is a regular file, not a serial device." + advice},
        {"../ttyUSB0",
         "\"../ttyUSB0\" leaves " + folder + ": name a device in it, or its full path."},
        {folder, folder + " is a folder, not a serial device."},
        {"/dev/null", "1 /dev/null"},
        {"/nonexistent/ttyUSB0", "There is no /nonexistent/ttyUSB0."},
        {"/dev/ttyUSB7", "There is no /dev/ttyUSB7."},
        {"99", "No device is mapped to the port number 99; the numbers are 1 to 31 (1-8 "
               "ttyUSB0-7, 9-16 ttyACM0-7, 17-31 ttyS0-14)."},
        {"rfc2217://t8-rack.local:4001", "1 rfc2217://t8-rack.local:4001"},
        {"tcp://[::1]:7000", "1 tcp://[::1]:7000"},
        {"socket://10.0.0.5:65535", "1 socket://10.0.0.5:65535"},
        {"rfc2217://rack", "rfc2217://rack names no port; write rfc2217://HOST:PORT with the "
                           "port the server listens on."},
        {"tcp://:4000", "tcp://:4000 names no host; write tcp://HOST:PORT."},
        {"tcp://rack:0", "tcp://rack:0: the port must be a number from 1 to 65535."},
        {"tcp://rack:65536", "tcp://rack:65536: the port must be a number from 1 to 65535."},
        {"tcp://rack:40x1", "tcp://rack:40x1: the port must be a number from 1 to 65535."},
        {"tcp://ra ck:1", "tcp://ra ck:1: \"ra ck\" is no host name or address."},
        {"tcp://[::1:7000", "tcp://[::1:7000: \"\" is no host name or address."},
        {"telnet://rack:23", "Addresses of the kind \"telnet://\" are not supported; use "
                             "rfc2217://HOST:PORT or tcp://HOST:PORT."},
        {"tty\tUSB0", "The port name holds a control character (a tab, a line end or the like)."},
        {std::string(kMaxTypedPort + 1, 'a'),
         "The port name is 4096 characters long, longer than any path."}};
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(chosen(text), expected) << text.substr(0, 40);
    }
    const PortChoice empty = list.Interpret("  ");
    EXPECT_FALSE(empty.entry.has_value());
    EXPECT_EQ(empty.problem, "") << "nothing typed: the port stays";
}

TEST(PortListTest, NetworkAddressesUsedBeforeAreListedAndRemembered) {
    ComPortSettings settings;
    settings.recentAddresses = {"tcp://rack:7000", "rfc2217://lab:4001"};
    settings.devicePath = "rfc2217://lab:4001";
    PortList list(Openable({"/dev/ttyUSB0"}), settings, {});
    EXPECT_THAT(Texts(list),
                ElementsAre("1 - /dev/ttyUSB0", "rfc2217://lab:4001 (network, used before)",
                            "tcp://rack:7000 (network, used before)"));
    EXPECT_EQ(list.Selected(), 1) << "the stored address, though its server is not asked";

    // chosen again or typed anew, an address goes first; the list keeps the newest few
    EXPECT_FALSE(ApplyPortEntry(list.Interpret("tcp://rack:7000").entry, settings));
    EXPECT_EQ(settings.devicePath, "tcp://rack:7000");
    EXPECT_THAT(settings.recentAddresses, ElementsAre("tcp://rack:7000", "rfc2217://lab:4001"));
    for (int port = 1; port <= static_cast<int>(kMaxRecentAddresses) + 2; ++port) {
        ASSERT_FALSE(
            ApplyPortEntry(list.Interpret("tcp://rack:" + std::to_string(port)).entry, settings));
    }
    ASSERT_EQ(settings.recentAddresses.size(), kMaxRecentAddresses);
    EXPECT_EQ(settings.recentAddresses.front(),
              "tcp://rack:" + std::to_string(kMaxRecentAddresses + 2));
    EXPECT_FALSE(ApplyPortEntry(list.Entries()[0], settings));
    EXPECT_EQ(settings.recentAddresses.size(), kMaxRecentAddresses) << "a device is no address";

    // the store's text: junk and repeats dropped, no more than the list holds
    EXPECT_THAT(RecentAddressesFromText(" tcp://a:1  ftp://b:2 tcp://a:1 rfc2217://c tcp://d:9 "),
                ElementsAre("tcp://a:1", "tcp://d:9"));
    EXPECT_EQ(RecentAddressesFromText(RecentAddressesText(settings.recentAddresses)),
              settings.recentAddresses);
    EXPECT_TRUE(IsRawTcpAddress("tcp://a:1"));
    EXPECT_TRUE(IsRawTcpAddress("socket://a:1"));
    EXPECT_FALSE(IsRawTcpAddress("rfc2217://a:1"));
    EXPECT_FALSE(IsRawTcpAddress("/dev/tcp"));
}

TEST(PortListTest, TheSystemScanOffersAStoredPtyWhileItExists) {
    ComPortSettings settings;
    std::string path;
    {
        test::PtyPair pty;
        ASSERT_TRUE(pty.Ok());
        path = pty.SlavePath();
        settings.devicePath = path;
        const PortList list(SystemPortScanner(), settings, {});
        ASSERT_GE(list.Selected(), 0);
        const PortEntry& chosen = list.Entries()[static_cast<std::size_t>(list.Selected())];
        EXPECT_EQ(chosen.kind, PortEntry::Kind::Device);
        EXPECT_EQ(chosen.path, path);
    }
    const PortList gone(SystemPortScanner(), settings, {});
    for (const PortEntry& entry : gone.Entries()) {
        // a test running beside this one may have been given the same pty number meanwhile
        EXPECT_TRUE(entry.path != path || std::filesystem::exists(path)) << path;
    }
}

TEST(DirectoryPathTest, TrailingSeparatorsGoAndTheChooserFindsAFolder) {
    EXPECT_EQ(WithoutTrailingSeparator("/home/t8/lib/"), "/home/t8/lib");
    EXPECT_EQ(WithoutTrailingSeparator("/home/t8//"), "/home/t8");
    EXPECT_EQ(WithoutTrailingSeparator("/"), "/");
    EXPECT_EQ(WithoutTrailingSeparator("//"), "/");
    EXPECT_EQ(WithoutTrailingSeparator(""), "");

    // the chooser opens at the nearest directory that exists
    namespace fs = std::filesystem;
    const fs::path root = fs::temp_directory_path() / ("t8dirs-" + std::to_string(::getpid()));
    fs::create_directories(root / "lib");
    EXPECT_EQ(ChooserStart((root / "lib").string() + "/"), (root / "lib").string());
    EXPECT_EQ(ChooserStart((root / "lib" / "gone" / "deeper").string()), (root / "lib").string());
    const char* home = std::getenv("HOME");
    const std::string fallback = home != nullptr && fs::is_directory(home) ? home : "/";
    EXPECT_EQ(ChooserStart(""), fallback);
    fs::remove_all(root);
}

} // namespace
} // namespace t8
