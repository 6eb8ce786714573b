#include "settings/ComPortSettings.h"
#include "settings/DirectoryPath.h"
#include "settings/PortList.h"
#include "settings/SerialDevices.h"
#include "tests/support/PtyPair.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
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
    const PortList list(Openable({"/dev/ttyUSB0", "/dev/pts/5"}), settings, "/dev/pts/5");
    // "kind number path" of what the text names, "-" for nothing
    const auto named = [&list](const std::string& text) {
        const auto entry = list.Interpret(text);
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
