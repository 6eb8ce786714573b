#include "tests/sim/DeviceHarness.h"

#include "sim/device/RangeText.h"

#include <gtest/gtest.h>

namespace t8::sim::test {
namespace {

TEST(CommandsTest, FillChecksumAndSeekWorkOnTheRam) {
    DeviceHarness sim;
    EXPECT_EQ(sim.Type("FI00100:001FF\rA5\r"),
              "FI\r\nFill range 00100:001FF\r\nFill byte A5\r\nFilled 256 bytes with A5\r\n>");
    EXPECT_EQ(sim.State().ram.At(0x1FF), 0xA5);
    EXPECT_EQ(sim.State().ram.At(0x200), 0xFF);
    EXPECT_NE(sim.Type("CH00100,001FF\r").find("Sum 0000A500"), std::string::npos);
    EXPECT_NE(sim.Type("SK00000,FFFFF\rA5\r").find("Found A5 at 00100"), std::string::npos);
    EXPECT_NE(sim.Type("SN00100,001FF\rA5\r").find("All bytes are A5"), std::string::npos);
    EXPECT_NE(sim.Type("CH00100,\r").find("Bad address"), std::string::npos);
    EXPECT_NE(sim.Type("CH00200,00100\r").find("End lies below start"), std::string::npos);
}

TEST(CommandsTest, EditWritesTypedBytesAndStepsBothWays) {
    DeviceHarness sim;
    EXPECT_EQ(sim.Type("ED00010\r"), "ED\r\nEdit address 00010\r\n00010 FF ");
    EXPECT_EQ(sim.Type("12"), "12\r\n00011 FF ");
    sim.Type("34X");
    EXPECT_EQ(sim.Type(" "), "\r\n00012 FF "); // X went back to 00011, blank forward again
    sim.Type("\x1b");
    EXPECT_EQ(sim.State().ram.At(0x10), 0x12);
    EXPECT_EQ(sim.State().ram.At(0x11), 0x34);
    EXPECT_EQ(sim.State().ram.At(0x12), 0xFF);
}

TEST(CommandsTest, SplitAndShuffleUndoEachOtherSwapTurnsPairs) {
    DeviceHarness sim;
    const std::uint8_t bytes[] = {0, 1, 2, 3, 4, 5};
    sim.State().ram.Write(0, bytes);
    sim.Type("SP00000,00005\r00100\r");
    EXPECT_EQ(sim.State().ram.At(0x100), 0);
    EXPECT_EQ(sim.State().ram.At(0x101), 2);
    EXPECT_EQ(sim.State().ram.At(0x103), 1);
    sim.Type("SH00100,00105\r00200\r");
    for (std::uint32_t i = 0; i < 6; ++i) {
        EXPECT_EQ(sim.State().ram.At(0x200 + i), i);
    }
    sim.Type("SW00200,00205\r");
    EXPECT_EQ(sim.State().ram.At(0x200), 1);
    EXPECT_EQ(sim.State().ram.At(0x201), 0);
    EXPECT_NE(sim.Type("SW00200,00202\r").find("even length"), std::string::npos);
    sim.Type("MO00200,00201\rFFFFF\r");
    EXPECT_EQ(sim.State().ram.At(0xFFFFF), 0xFF); // the destination did not fit: nothing moved
}

TEST(CommandsTest, DumpShowsBytesAndCharactersUpToItsBound) {
    DeviceHarness sim;
    const std::uint8_t text[] = {'T', '8', '>', 0x00};
    sim.State().ram.Write(0x20, text);
    const std::string dump = sim.Type("DU00020,0002F\r");
    EXPECT_NE(dump.find("00020  54 38 3E 00 FF"), std::string::npos);
    EXPECT_NE(dump.find("T8.."), std::string::npos); // '>' would look like the prompt
    const std::string big = DumpText(sim.State().ram, {0, kMaxDumpBytes + 15});
    EXPECT_NE(big.find("... 16 more bytes not shown"), std::string::npos);
}

TEST(CommandsTest, ChipBurnCompareLoadThroughTheSocket) {
    DeviceHarness sim;
    sim.State().ram.Set(0x7FFF, 0x42);
    EXPECT_NE(sim.Type("PR\r").find("Device is blank"), std::string::npos);
    EXPECT_NE(sim.Type("BU\x1b").find("Cancelled"), std::string::npos);
    EXPECT_NE(sim.Type("CO\r").find("Difference at 07FFF"), std::string::npos);
    EXPECT_NE(sim.Type("BU\r").find("verify OK"), std::string::npos);
    EXPECT_NE(sim.Type("CO\r").find("Compare OK"), std::string::npos);
    sim.State().ram.Set(0x7FFF, 0);
    sim.Type("LO\r");
    EXPECT_EQ(sim.State().ram.At(0x7FFF), 0x42);
    sim.Type("CP \r"); // the next device type, 64 KiB
    EXPECT_EQ(sim.State().socket.Selected().size, 0x10000U);
    EXPECT_NE(sim.Type("CE\rPR\r").find("Device is blank"), std::string::npos);
}

} // namespace
} // namespace t8::sim::test
