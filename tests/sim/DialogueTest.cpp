#include "tests/sim/DeviceHarness.h"

#include "sim/device/CommandTable.h"

#include <gtest/gtest.h>

namespace t8::sim::test {
namespace {

TEST(DialogueTest, PromptEchoAndEscape) {
    DeviceHarness sim;
    EXPECT_EQ(sim.Type("\r"), "\r\n>");
    EXPECT_EQ(sim.Type("C"), "C"); // echoed, waiting for the second letter
    EXPECT_EQ(sim.Type("\x1b"), "\r\n>");
    EXPECT_EQ(sim.Type("QQ"), "QQ\r\nUnknown command\r\n>");
    EXPECT_EQ(sim.Type("c\bC"), "C\b \bC"); // shown upper-case; backspace takes it back
    EXPECT_EQ(sim.Type("H"), "H\r\nChecksum range ");
    EXPECT_EQ(sim.Type("00\x1b"), "00\r\n>");
    EXPECT_FALSE(sim.GetDevice().InDialogue());
    EXPECT_EQ(sim.Type("\n"), "\r\n>") << "a line feed alone is ENTER";
    EXPECT_EQ(sim.Type("\r\n"), "\r\n>") << "but CR LF is one";
}

TEST(DialogueTest, FileFormatStepsWithBlankAndConfirmsWithEnter) {
    DeviceHarness sim;
    const std::string menu = sim.Type("FF");
    EXPECT_NE(menu.find("INTEL"), std::string::npos);
    EXPECT_NE(sim.Type(" ").find("MOTOROLA"), std::string::npos);
    EXPECT_NE(sim.Type("\b").find("INTEL"), std::string::npos);
    sim.Type("   ");
    EXPECT_EQ(sim.Type("\r"), "\r\nFile format TEK EXTENDED\r\n>");
    EXPECT_EQ(sim.State().format, Format::TekExtended);
    sim.Type("FF  \x1b"); // ESC leaves the format as it was
    EXPECT_EQ(sim.State().format, Format::TekExtended);
}

TEST(DialogueTest, BaudMenuStepsInBaudCodeOrderAndEscConfirms) {
    DeviceOptions options;
    options.baudRate = 9600;
    DeviceHarness sim(options);
    sim.GetDevice().SetHostLine({9600, 8, 'N', 1});
    // the menu redraws its line in place: what counts is the text after the last CR
    const auto current = [](const std::string& shown) {
        const std::string line = shown.substr(shown.rfind('\r') + 1);
        return line.substr(0, line.find_last_not_of(' ') + 1);
    };
    std::string shown = sim.Type("BA");
    for (const std::uint32_t rate : kBaudSteps) {
        EXPECT_EQ(current(shown), "Baud rate " + std::to_string(rate));
        shown = sim.Type(" ");
    }
    EXPECT_EQ(current(shown), "Baud rate 9600"); // round again
    sim.Type("   ");
    // the last line still goes out at the old rate, the prompt at the new one is lost
    EXPECT_EQ(sim.Type("\x1b"), "\r\nBaud rate 115200");
    EXPECT_EQ(sim.GetDevice().BaudRate(), 115200U);
}

TEST(DialogueTest, HostAtAnotherRateOrFrameIsLineNoise) {
    DeviceHarness sim;
    sim.GetDevice().SetHostLine({9600, 8, 'N', 1});
    EXPECT_EQ(sim.Type("CH"), "");
    EXPECT_FALSE(sim.GetDevice().InDialogue());
    EXPECT_EQ(sim.GetDevice().NoiseBytes(), 2U);
    sim.GetDevice().SetHostLine({115200, 8, 'N', 2});
    EXPECT_EQ(sim.Type("\r"), "");
    sim.GetDevice().SetHostLine({115200, 8, 'N', 1});
    EXPECT_EQ(sim.Type("\r"), "\r\n>");

    DeviceOptions ignoring;
    ignoring.checkLine = false;
    DeviceHarness lenient(ignoring);
    lenient.GetDevice().SetHostLine({9600, 7, 'E', 1});
    EXPECT_EQ(lenient.Type("\r"), "\r\n>");
}

// The host's F9 runs the whole start sequence against the device over a pty; these are the ends
// it does not reach.
TEST(DialogueTest, LibraryStartNeedsALibraryAndANewOneStopsTheRunningOne) {
    DeviceHarness sim;
    sim.GetDevice().SetHostLine({115200, 8, 'N', 1});
    EXPECT_EQ(sim.Type("XX00000\r"), "XX00000\r\nNo library loaded\r\n>");
    sim.State().libraryLoaded = true;
    EXPECT_EQ(sim.Type("XX00000\r"), "XX00000\r\nLibrary started - 9600 baud");
    EXPECT_TRUE(sim.State().libraryRunning);
    sim.GetDevice().SetHostLine({9600, 8, 'N', 1});
    sim.Type("RL");
    EXPECT_FALSE(sim.State().libraryRunning);
    EXPECT_EQ(sim.State().libraryBaudRate, 0U);
}

TEST(DialogueTest, BytesPerRecordKeepsItsBounds) {
    DeviceHarness sim;
    EXPECT_NE(sim.Type("BL32\r").find("32 bytes per record"), std::string::npos);
    EXPECT_EQ(sim.State().bytesPerRecord, 32U);
    const std::string tooMany = std::to_string(kMaxBytesPerRecord + 1);
    EXPECT_NE(sim.Type("BL" + tooMany + "\r").find("Give 1 to"), std::string::npos);
    EXPECT_NE(sim.Type("BL0\r").find("Give 1 to"), std::string::npos);
    EXPECT_EQ(sim.State().bytesPerRecord, 32U);
}

TEST(DialogueTest, XoffWhenTheReceiveBacklogGrowsXonWhenDrained) {
    DeviceOptions options;
    options.format = Format::Binary;
    options.xoff = true;
    options.processRate = 1000; // one byte a millisecond
    options.xoffBacklog = 100;
    DeviceHarness sim(options);
    sim.Type("RE0\r");
    EXPECT_EQ(sim.Send(std::string(100, 'a')), "");
    EXPECT_EQ(sim.Send("b"), "\x13");
    EXPECT_EQ(sim.GetDevice().Backlog(), 101U);
    EXPECT_EQ(sim.Advance(50), "");
    EXPECT_EQ(sim.GetDevice().Backlog(), 51U);
    EXPECT_EQ(sim.Advance(51), "\x11");
    EXPECT_EQ(sim.State().ram.At(100), 'b');
}

TEST(DialogueTest, EveryCommandHasADialogueThatEscLeaves) {
    const std::array groups = {ChipCommands(), MemoryCommands(), SystemCommands()};
    std::size_t count = 0;
    for (const auto& group : groups) {
        for (const CommandEntry& entry : group) {
            DeviceHarness sim;
            const std::string answer = sim.Type(entry.letters);
            EXPECT_EQ(answer.rfind(std::string(entry.letters) + "\r\n", 0), 0U) << entry.letters;
            EXPECT_EQ(answer.find("Unknown"), std::string::npos) << entry.letters;
            sim.Type("\x1b");
            EXPECT_FALSE(sim.GetDevice().InDialogue()) << entry.letters;
            ++count;
        }
    }
    EXPECT_EQ(count, 50U); // the device menus, memory menu, other menu and transfers
}

} // namespace
} // namespace t8::sim::test
