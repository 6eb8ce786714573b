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
    EXPECT_EQ(stored.entries[static_cast<std::size_t>(stored.selected)], "19200");
    EXPECT_EQ(BaudFromText(stored.entries[7], 115200), 19200U);

    const BaudList above = MakeBaudList(230400);
    EXPECT_EQ(above.entries.back(), "230400");
    EXPECT_EQ(above.selected, 9);
    const BaudList listed = MakeBaudList(115200);
    EXPECT_EQ(listed.entries.size(), kBaudEntries.size());
    EXPECT_EQ(listed.selected, 8);
    // no rate at all: the first entry, as the fixed list always chose
    const BaudList none = MakeBaudList(0);
    EXPECT_EQ(none.entries.size(), kBaudEntries.size());
    EXPECT_EQ(none.selected, 0);
}

TEST(ComPortSettingsTest, TypedRatesAreTakenWithinBoundsOnly) {
    EXPECT_EQ(BaudFromText(" 57600 ", 9600), 57600U);
    EXPECT_EQ(BaudFromText("", 9600), 9600U);
    EXPECT_EQ(BaudFromText("96OO", 9600 + 1), 9601U);
    EXPECT_EQ(BaudFromText(std::to_string(kMinTypedBaud - 1), 300), 300U);
    EXPECT_EQ(BaudFromText(std::to_string(kMaxTypedBaud + 1), 300), 300U);
    EXPECT_EQ(BaudFromText(std::to_string(kMaxTypedBaud), 300), kMaxTypedBaud);
}

TEST(ComPortSettingsTest, ListCodesRoundTripAndUnknownCodesFallBack) {
    for (std::uint8_t size = 4; size <= 8; ++size) {
        const auto text = kDataBitsEntries[static_cast<std::size_t>(DataBitsIndex(size))];
        EXPECT_EQ(ByteSizeFromText(text), size);
    }
    EXPECT_EQ(kDataBitsEntries[static_cast<std::size_t>(DataBitsIndex(3))], "8 bits");
    EXPECT_EQ(ByteSizeFromText("7 BITS"), 7);
    EXPECT_EQ(ByteSizeFromText("9 bits"), 8);

    for (std::uint8_t parity = kParityNone; parity <= kParitySpace; ++parity) {
        const auto text = kParityEntries[static_cast<std::size_t>(ParityIndex(parity))];
        EXPECT_EQ(ParityFromText(text), parity) << text;
    }
    EXPECT_EQ(kParityEntries[static_cast<std::size_t>(ParityIndex(kParityMark))], "MARK");
    EXPECT_EQ(kParityEntries[static_cast<std::size_t>(ParityIndex(9))], "NONE");
    EXPECT_EQ(ParityFromText("odd"), kParityOdd);

    EXPECT_EQ(kStopBitsEntries[static_cast<std::size_t>(StopBitsIndex(kStopOneAndHalf))],
              "1 1/2 bit");
    EXPECT_EQ(StopBitsFromText("1 1/2 BIT"), kStopOneAndHalf);
    EXPECT_EQ(StopBitsFromText("2 bits"), kStopTwo);
    EXPECT_EQ(StopBitsIndex(7), 0);
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
    EXPECT_EQ(list.Interpret(list.Entries()[0].Text())->number, 1);
    EXPECT_EQ(list.Interpret("/dev/pts/5")->kind, PortEntry::Kind::RunOnly);
    const auto number = list.Interpret(" 17 ");
    ASSERT_TRUE(number);
    EXPECT_EQ(number->kind, PortEntry::Kind::Numbered);
    EXPECT_EQ(number->path, "/dev/ttyS0");
    const auto mapped = list.Interpret("/dev/ttyACM0");
    ASSERT_TRUE(mapped);
    EXPECT_EQ(mapped->kind, PortEntry::Kind::Numbered);
    EXPECT_EQ(mapped->number, 9);
    const auto pty = list.Interpret("/dev/pts/11");
    ASSERT_TRUE(pty);
    EXPECT_EQ(pty->kind, PortEntry::Kind::Device);
    EXPECT_FALSE(list.Interpret("99"));
    EXPECT_FALSE(list.Interpret("COM1"));
    EXPECT_FALSE(list.Interpret("   "));
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
        EXPECT_NE(entry.path, path);
    }
}

TEST(DirectoryPathTest, TrailingSeparatorsGoButTheRootStays) {
    EXPECT_EQ(WithoutTrailingSeparator("/home/t8/lib/"), "/home/t8/lib");
    EXPECT_EQ(WithoutTrailingSeparator("/home/t8//"), "/home/t8");
    EXPECT_EQ(WithoutTrailingSeparator("/"), "/");
    EXPECT_EQ(WithoutTrailingSeparator("//"), "/");
    EXPECT_EQ(WithoutTrailingSeparator(""), "");
}

TEST(DirectoryPathTest, ChooserOpensAtTheNearestDirectoryThatExists) {
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
