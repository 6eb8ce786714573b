#include "DeviceHarness.h"

#include <gtest/gtest.h>

#include <array>

namespace t8::sim::test {
namespace {

constexpr std::uint32_t kFirst = 0x0FF0; // neither end on a record boundary
constexpr std::uint32_t kLast = 0x10A4;

void FillPattern(Memory& memory, std::uint32_t first, std::uint32_t last) {
    for (std::uint32_t address = first; address <= last; ++address) {
        memory.Set(address, static_cast<std::uint8_t>(address * 7 + (address >> 8)));
    }
}

// What the host's prompt parsing sees in a transfer answer: no separator or prompt character
// before the typed range, and exactly one format keyword.
void ExpectAnswerFitsTheHost(const std::string& answer) {
    EXPECT_EQ(answer.find_first_of(",:>"), std::string::npos) << answer;
    int keywords = 0;
    for (const char* word : {"BINARY", "ASCII", "INTEL", "MOTOROLA", "TEK"}) {
        keywords += answer.find(word) != std::string::npos ? 1 : 0;
    }
    EXPECT_EQ(keywords, 1) << answer;
}

// Runs SE on the range and returns the data as the host keeps them: from behind the line
// break that follows the typed range up to the closing prompt.
std::string SendRange(DeviceHarness& sim, std::string_view range) {
    const std::string answer = sim.Type("SE");
    ExpectAnswerFitsTheHost(answer);
    const std::string out = sim.Type(std::string(range) + "\r");
    EXPECT_EQ(out.substr(0, range.size() + 2), std::string(range) + "\r\n");
    EXPECT_EQ(out.substr(out.size() - 3), "\r\n>");
    return out.substr(range.size() + 2, out.size() - range.size() - 5);
}

// Runs RE, answers its question as the host would and streams the data; returns the verdict.
std::string ReceiveData(DeviceHarness& sim, const std::string& data, std::size_t split) {
    const std::string answer = sim.Type("RE");
    ExpectAnswerFitsTheHost(answer);
    const bool addressed = InfoOf(sim.state().format).carriesAddresses;
    sim.Type(addressed ? "\r" : "00FF0\r");
    std::string verdict = sim.Send(data.substr(0, split));
    verdict += sim.Send(data.substr(split));
    if (!addressed) {
        verdict += sim.Advance(sim.state().quietGapMs);
    }
    return verdict;
}

class RoundTripTest : public testing::TestWithParam<Format> {};

TEST_P(RoundTripTest, WhatSeSendsReLoadsByteForByte) {
    DeviceOptions options;
    options.format = GetParam();
    DeviceHarness sender(options);
    FillPattern(sender.state().ram, kFirst, kLast);
    const std::string data = SendRange(sender, "00FF0,010A4");
    if (GetParam() == Format::Binary) {
        EXPECT_EQ(data.size(), kLast - kFirst + 1);
    }
    DeviceHarness receiver(options);
    const std::string verdict = ReceiveData(receiver, data, data.size());
    EXPECT_NE(
        verdict.find("Received " + std::to_string(kLast - kFirst + 1) + " bytes at 00FF0-010A4"),
        std::string::npos)
        << verdict;
    EXPECT_EQ(verdict.substr(verdict.size() - 3), "\r\n>");
    for (std::uint32_t address = kFirst - 1; address <= kLast + 1; ++address) {
        ASSERT_EQ(receiver.state().ram.At(address), sender.state().ram.At(address)) << address;
    }
}

INSTANTIATE_TEST_SUITE_P(AllFormats, RoundTripTest,
                         testing::Values(Format::Intel, Format::Motorola, Format::Tek,
                                         Format::TekExtended, Format::Ascii, Format::Binary),
                         [](const auto& param) {
                             std::string name(InfoOf(param.param).name);
                             return name.substr(0, 3) + std::to_string(param.index);
                         });

TEST(TransferTest, RecordStreamSplitAtEveryPosition) {
    for (const Format format : {Format::Intel, Format::Motorola, Format::TekExtended}) {
        DeviceOptions options;
        options.format = format;
        DeviceHarness sender(options);
        FillPattern(sender.state().ram, 0x100, 0x12F);
        const std::string data = SendRange(sender, "00100,0012F");
        for (std::size_t split = 0; split <= data.size(); ++split) {
            DeviceHarness receiver(options);
            const std::string verdict = ReceiveData(receiver, data, split);
            ASSERT_NE(verdict.find("Received 48 bytes"), std::string::npos) << split;
            ASSERT_EQ(receiver.state().ram.At(0x12F), sender.state().ram.At(0x12F));
        }
    }
}

// The host's reading of a transfer dialogue: the text shown since the command, a received
// backspace stepping back over it; the five characters before the first ',' (else ':') and the
// hex digits after it.
std::pair<std::uint32_t, std::uint32_t> HostRange(const std::string& shown) {
    std::string text;
    std::size_t position = 0;
    for (const char c : shown) {
        if (c == '\b') {
            position -= position > 0 ? 1 : 0;
        } else if (c != '\r' && c != '\n') {
            text.resize(std::max(text.size(), position + 1));
            text[position++] = c;
        }
    }
    std::size_t separator = text.find(',');
    separator = separator == std::string::npos ? text.find(':') : separator;
    const std::string after = text.substr(separator + 1);
    return {std::stoul(text.substr(separator - 5, 5), nullptr, 16),
            std::stoul(after.substr(0, after.find_first_not_of("0123456789ABCDEF")), nullptr, 16)};
}

TEST(TransferTest, TypedRangeIsWhatTheHostParses) {
    DeviceHarness sim;
    std::string shown = sim.Type("SE");
    // a separator before five digits is refused; backspace takes back the last character
    shown += sim.Type("001,");
    EXPECT_EQ(shown.substr(shown.size() - 3), "001");
    const std::string edited = sim.Type("00:\b,");
    EXPECT_EQ(edited, "00:\b \b,");
    shown += edited;
    EXPECT_EQ(HostRange(shown + "1FF"), std::make_pair(0x100U, 0x1FFU));
    const std::string data = sim.Type("1FF\r");
    EXPECT_EQ(data.substr(0, 5), "1FF\r\n");
    EXPECT_NE(data.find(":1001000"), std::string::npos);
    EXPECT_NE(data.find(":1001F000"), std::string::npos);
    EXPECT_EQ(data.find(":10020000"), std::string::npos);
}

TEST(TransferTest, RangeErrorsAndEscEndTheSendWithoutData) {
    DeviceHarness sim;
    EXPECT_NE(sim.Type("SE00200,001FF\r").find("End lies below start"), std::string::npos);
    EXPECT_EQ(sim.Type("SE0010\x1b"), "SE\r\nSend INTEL data range 0010\r\n>");
    EXPECT_NE(sim.Type("SE00000\r").find("Incomplete range"), std::string::npos);
    EXPECT_NE(sim.Type("SX00000,10000\r").find("beyond memory (0FFFF)"), std::string::npos);
    sim.state().format = Format::Tek;
    EXPECT_NE(sim.Type("SE0FFFF,10000\r").find("TEK EXTENDED"), std::string::npos);
}

TEST(TransferTest, CorruptedRecordFailsTheStrictReader) {
    DeviceOptions options;
    options.corruptRecord = 2;
    DeviceHarness sender(options);
    const std::string spoilt = SendRange(sender, "00000,0003F");
    const std::string clean = SendRange(sender, "00000,0003F"); // only the next output
    EXPECT_NE(spoilt, clean);
    DeviceHarness receiver;
    EXPECT_NE(ReceiveData(receiver, spoilt, 0).find("Receive failed - record 2 checksum error"),
              std::string::npos);
    EXPECT_EQ(receiver.state().ram.At(0x10), 0xFF); // nothing stored from the bad record on
}

TEST(TransferTest, FourEscAbortTextReceiveButAreDataInBinary) {
    DeviceHarness text;
    text.Type("RE\r:10000000");
    EXPECT_EQ(text.Type("\x1b\x1b\x1b"), "");
    EXPECT_EQ(text.Type("\x1b"), "\r\nReceive aborted\r\n>");

    DeviceOptions options;
    options.format = Format::Binary;
    DeviceHarness binary(options);
    binary.Type("RE00010\r");
    EXPECT_EQ(binary.Send("\x1b\x1b\x1b\x1b\r\n"), "");
    EXPECT_EQ(binary.Advance(options.quietGapMs - 1), "");
    EXPECT_NE(binary.Advance(1).find("Received 6 bytes at 00010-00015"), std::string::npos);
    EXPECT_EQ(binary.state().ram.At(0x14), '\r');
}

TEST(TransferTest, RecordReceiveWaitsForDataThenAGapEndsIt) {
    DeviceHarness sim;
    sim.Type("RE\r");
    EXPECT_EQ(sim.Advance(60000), ""); // no data yet: the device waits
    sim.Send(":020100001234B7\r\n");
    EXPECT_NE(sim.Advance(1000).find("Receive failed - no end record after 1 records"),
              std::string::npos);
}

TEST(TransferTest, EepromAndLibraryHaveTheirOwnStores) {
    DeviceHarness sim;
    sim.Type("RX\r");
    sim.Send(":02FFFE00ABCD89\r\n:00000001FF\r\n");
    EXPECT_EQ(sim.state().eeprom.At(0xFFFF), 0xCD);
    EXPECT_EQ(sim.state().ram.At(0xFFFF), 0xFF);
    EXPECT_NE(sim.Type("SX0FFFE,0FFFF\r").find(":02FFFE00ABCD89\r\n:00000001FF"),
              std::string::npos);

    EXPECT_NE(sim.Type("RL").find("Receive library INTEL"), std::string::npos);
    EXPECT_NE(sim.Send(":01F80000AA5D\r\n:00000001FF\r\n").find("lie beyond memory (0F7FF)"),
              std::string::npos);
    EXPECT_FALSE(sim.state().libraryLoaded); // F800 and above is not the library's
    sim.Type("RL");
    const std::string verdict = sim.Send(":01001000559A\r\n:00000001FF\r\n");
    EXPECT_NE(verdict.find("Library of 2 records"), std::string::npos) << verdict;
    EXPECT_TRUE(sim.state().libraryLoaded);
    EXPECT_EQ(sim.state().library.At(0x10), 0x55);
}

} // namespace
} // namespace t8::sim::test
