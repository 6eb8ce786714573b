#include "sim/records/FormatCodec.h"
#include "sim/records/IntelCodec.h"
#include "sim/records/MotorolaCodec.h"
#include "sim/records/TekCodec.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <string_view>

namespace t8::sim::test {
namespace {

// Everything a reader made of a text: the bytes by address, and how it ended.
struct ReadResult {
    std::map<std::uint32_t, std::uint8_t> bytes;
    bool ended = false;
    std::string error; // the first error
};

void Collect(const ParseStep& step, ReadResult& result) {
    if (step.kind == ParseStep::Kind::Data) {
        for (std::size_t i = 0; i < step.bytes.size(); ++i) {
            result.bytes[step.address + static_cast<std::uint32_t>(i)] = step.bytes[i];
        }
    } else if (step.kind == ParseStep::Kind::End) {
        result.ended = true;
    } else if (step.kind == ParseStep::Kind::Error && result.error.empty()) {
        result.error = step.error;
    }
}

// Feeds the text; formats without an end record are finished as a quiet gap would.
ReadResult ReadAll(FormatCodec& codec, std::string_view text) {
    ReadResult result;
    codec.Reset(0);
    for (const char c : text) {
        Collect(codec.Feed(static_cast<std::uint8_t>(c)), result);
        if (result.ended) {
            return result;
        }
    }
    Collect(codec.Finish(), result);
    return result;
}

struct KnownStream {
    Format format;
    const char* text;
    std::uint32_t address; // of the first byte
    std::vector<std::uint8_t> bytes;
};

TEST(RecordCodecTest, KnownStreamsLoadTheBytesAtTheirAddress) {
    const KnownStream streams[] = {
        {Format::Intel, ":020100001234B7\r\n:00000001FF\r\n", 0x100, {0x12, 0x34}},
        {Format::Intel, ":02000004000AF0\n:01001000559A\n:00000001FF", 0xA0010, {0x55}},
        {Format::Intel, ":020000021000EC\n:01001000559A\n:00000001FF", 0x10010, {0x55}},
        {Format::Motorola,
         "S00600004844521B\r\nS10510001234A4\r\nS9030000FC\r\n",
         0x1000,
         {0x12, 0x34}},
        {Format::Motorola, "s20601234512344a\ns804000000fb\n", 0x12345, {0x12, 0x34}},
        {Format::Tek, "/10000203ABCD2E\r\n/00000000\r\n", 0x1000, {0xAB, 0xCD}},
        {Format::Tek, "%0C6214100055\n%0781010\n", 0x1000, {0x55}},
        {Format::Ascii, "00 11 22\r\n33\r\n", 0, {0x00, 0x11, 0x22, 0x33}},
        {Format::Ascii, "0A0B", 0, {0x0A, 0x0B}}};
    for (const KnownStream& known : streams) {
        const auto codec = MakeCodec(known.format);
        const ReadResult result = ReadAll(*codec, known.text);
        ASSERT_EQ(result.error, "") << known.text;
        ASSERT_EQ(result.bytes.size(), known.bytes.size()) << known.text;
        for (std::size_t i = 0; i < known.bytes.size(); ++i) {
            EXPECT_EQ(result.bytes.at(known.address + static_cast<std::uint32_t>(i)),
                      known.bytes[i])
                << known.text;
        }
    }
}

struct BadStream {
    Format format;
    const char* text;
    const char* error;
};

TEST(RecordCodecTest, BadStreamsNameTheFault) {
    const BadStream streams[] = {
        {Format::Intel, ":020100001234B8\n", "record 1 checksum error (read B8 expected B7)"},
        {Format::Intel, ":00000001FF\n", ""}, // a complete end record
        {Format::Intel, ":0201000012\n", "record 1 ends early"},
        {Format::Intel, ":02010 0001234B7", "record 1 has a character that is not a hex digit"},
        {Format::Intel, ":020100001234B7\n;", "unexpected character 0x3B after record 1"},
        {Format::Intel, ":020100001234B7\n", "no end record after 1 records"},
        {Format::Intel, ":0100000612E7\n", "record 1 has an unknown type"},
        {Format::Motorola, "S10510001234A5\n", "record 1 checksum error (read A5 expected A4)"},
        {Format::Motorola, "S00600004844521C\n", "record 1 checksum error (read 1C expected 1B)"},
        {Format::Motorola, "S4030000FC\n", "record 1 has an unknown type"},
        {Format::Motorola, "S1020000FD\n", "record 1 is shorter than its address"},
        {Format::Tek, "/10000204ABCD2E\n", "record 1 first checksum error (read 04 expected 03)"},
        {Format::Tek, "/10000203ABCD2F\n", "record 1 second checksum error (read 2F expected 2E)"},
        {Format::Tek, "%0E82E800000000\n", "record 1 checksum error (read 2E expected 1E)"},
        {Format::Tek, "%0E319800000000\n", "record 1 has an unsupported type"},
        {Format::Ascii, "00 1 22", "half a byte after byte 1"},
        {Format::Ascii, "00 11 2", "half a byte at the end"},
        {Format::Ascii, "00 11 G2", "unexpected character 0x47 after byte 2"}};
    for (const BadStream& bad : streams) {
        const auto codec = MakeCodec(bad.format);
        EXPECT_EQ(ReadAll(*codec, bad.text).error, bad.error) << bad.text;
    }
}

TEST(RecordCodecTest, NoRecordGrowsPastTheLongestThereIs) {
    // 255 data bytes make the longest record; digits beyond its count are outside any record
    std::string record = ":FF000000" + std::string(2 * 255, '0') + "01";
    ASSERT_EQ(record.size(), RecordCodec::kMaxRecordChars);
    IntelCodec codec;
    EXPECT_EQ(ReadAll(codec, record + "00").error, "unexpected character 0x30 after record 1");
    TekCodec tek(false);
    record = "/0000FF1E" + std::string(2 * 255, '1') + "FE";
    ASSERT_EQ(record.size(), RecordCodec::kMaxRecordChars);
    EXPECT_EQ(ReadAll(tek, record + "1").error, "unexpected character 0x31 after record 1");
}

TEST(RecordCodecTest, WritersKeepRecordsWithinTheirAddressSpace) {
    std::vector<std::uint8_t> data(48, 0x5A);
    const auto intel = IntelCodec().Write(data, 0xFFF0, 32);
    // 16 bytes below 64 KiB, then an extended linear address record and the rest
    ASSERT_EQ(intel.size(), 4U);
    EXPECT_EQ(intel[0].substr(0, 9), ":10FFF000");
    EXPECT_EQ(intel[1], ":020000040001F9");
    EXPECT_EQ(intel[2].substr(0, 9), ":20000000");
    EXPECT_EQ(intel.back(), ":00000001FF");
    const auto motorola = MotorolaCodec().Write(data, 0xFFF0, 32);
    EXPECT_EQ(motorola[1].substr(0, 2), "S2"); // the range passes 64 KiB: 24-bit addresses
    EXPECT_EQ(motorola.back().substr(0, 2), "S8");
    const auto low = MotorolaCodec().Write(data, 0x100, 32);
    EXPECT_EQ(low[1].substr(0, 8), "S1230100");
    EXPECT_EQ(low.back(), "S9030100FB");
}

} // namespace
} // namespace t8::sim::test
