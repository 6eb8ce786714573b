// One contract, every reader: it rewinds, reports progress, obeys the stop flag and leaves the
// image and segment list as the next reader expects.

#include "formats/FormatInfo.h"
#include "formats/FormatRecognizer.h"
#include "tests/formats/TestRecords.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace t8::test {
namespace {

struct Sample {
    TransferFormat format;
    std::string text;
    bool keepsBase; // the readers with addresses leave an earlier base in place
};

// 400 records of 16 bytes of 0x01 from 0x1000: enough positions for every percentage.
Sample MakeSample(TransferFormat format) {
    std::string text;
    const Bytes data = Filled(16, 1);
    for (std::uint32_t i = 0; i < 400; ++i) {
        const std::uint32_t address = 0x1000 + i * 16;
        switch (format) {
        case TransferFormat::FormatTek:
            text += TekRecord(address, data);
            break;
        case TransferFormat::FormatMotorola:
            text += SRecord(1, address, data);
            break;
        case TransferFormat::FormatIntel:
            text += IntelRecord(0, address, data);
            break;
        default:
            text += "01010101010101010101010101010101\n";
        }
    }
    const bool addressed = format == TransferFormat::FormatTek ||
                           format == TransferFormat::FormatMotorola ||
                           format == TransferFormat::FormatIntel;
    return {format, text, addressed};
}

class ReaderContractTest : public ::testing::TestWithParam<TransferFormat> {
protected:
    Sample sample = MakeSample(GetParam());
    Bytes input = ToBytes(sample.text);
    MemoryImage image;
    // The binary reader loads the text itself.
    std::uint32_t total = GetParam() == TransferFormat::FormatBinary ? ByteSum(input) : 400U * 16U;

    bool Run(ByteSource& source, const ProgressFn& progress = {}) {
        return RunReader(GetParam(), image, source, progress);
    }
};

TEST_P(ReaderContractTest, RewindsBeforeReading) {
    ByteSource source(input, 5);
    for (int i = 0; i < 100; ++i) {
        (void)source.Next();
    }
    image.PrepareImage();
    ASSERT_TRUE(Run(source));
    const auto& segments = image.Segments().Segments();
    ASSERT_FALSE(segments.empty());
    EXPECT_EQ(segments.back().sum, total);
}

TEST_P(ReaderContractTest, ReportsEachPercentOnceInOrder) {
    ByteSource source(input, 3);
    std::vector<int> seen;
    image.PrepareImage();
    ASSERT_TRUE(Run(source, [&](int percent) { seen.push_back(percent); }));
    ASSERT_GE(seen.size(), 20U);
    EXPECT_EQ(seen.front(), 0);
    for (std::size_t i = 1; i < seen.size(); ++i) {
        EXPECT_LT(seen[i - 1], seen[i]);
    }
    EXPECT_GE(seen.back(), 99); // ASCII hex updates after bytes, not after the last line end
}

TEST_P(ReaderContractTest, StopsSoonAfterTheFlagIsSet) {
    ByteSource source(input);
    image.PrepareImage();
    image.RequestStop();
    EXPECT_FALSE(Run(source));
    EXPECT_LT(source.Position(), 600U); // one record or block at most

    image.PrepareImage();
    ByteSource again(input);
    EXPECT_FALSE(Run(again, [&](int percent) {
        if (percent == 50) {
            image.RequestStop();
        }
    }));
    std::uint32_t loaded = 0;
    for (const ImageSegment& segment : image.Segments().Segments()) {
        loaded += segment.sum;
    }
    EXPECT_GT(loaded, 0U);
    EXPECT_LT(loaded, total);
}

TEST_P(ReaderContractTest, KeepsWhatEarlierReadersLeft) {
    image.PrepareImage();
    const std::uint8_t earlier[2] = {0x7, 0x7};
    image.SetBaseAddress(0x40);
    image.Load(0x40, earlier, 2);
    image.SetStatusText("left by an earlier reader");
    ByteSource source(input);
    ASSERT_TRUE(Run(source));
    EXPECT_EQ(image.BaseAddress(), sample.keepsBase ? 0x40U : 0U);
    const ImageSegment& front = image.Segments().Segments().front();
    EXPECT_EQ(image.StatusText(), "left by an earlier reader");
    // Addressed readers keep the earlier bytes and segments; the others start afresh, as their
    // image holds none of the earlier records.
    EXPECT_EQ(front.start, sample.keepsBase ? 0x40U : 0U);
    EXPECT_EQ(front.sum, sample.keepsBase ? 14U : total);
    std::uint8_t first = 0;
    image.ReadPositions(0, {&first, 1});
    const int binaryFirst = GetParam() == TransferFormat::FormatBinary ? '0' : 1;
    EXPECT_EQ(first, sample.keepsBase ? 7 : binaryFirst);
}

// Every row of the format table: a new format's reader is held to the contract by its row.
std::vector<TransferFormat> TableFormats() {
    std::vector<TransferFormat> formats;
    for (const FormatInfo& row : Formats()) {
        formats.push_back(row.format);
    }
    return formats;
}

INSTANTIATE_TEST_SUITE_P(AllReaders, ReaderContractTest, ::testing::ValuesIn(TableFormats()),
                         [](const auto& param) { return std::string(FormatKeyword(param.param)); });

// A file cut anywhere still loads every data byte whose two digits arrived, and nothing else;
// the image ends with the last of them.
TEST(TruncatedInputTest, LoadsExactlyTheCompleteBytes) {
    for (const TransferFormat format :
         {TransferFormat::FormatTek, TransferFormat::FormatMotorola, TransferFormat::FormatIntel}) {
        const std::string text = MakeSample(format).text.substr(0, 300);
        for (std::size_t cut = 0; cut <= text.size(); ++cut) {
            SCOPED_TRACE(std::string(FormatKeyword(format)) + " cut at " + std::to_string(cut));
            const Bytes input = ToBytes(text.substr(0, cut));
            // Data digits of 0x01 records are "01" pairs after each header; count completed ones.
            std::uint32_t expected = 0;
            const std::size_t header = format == TransferFormat::FormatMotorola ? 8 : 9;
            for (std::size_t line = 0; line < cut;) {
                const std::size_t data = line + header;
                for (std::size_t i = 0; i < 16 && data + 2 * i + 2 <= cut; ++i) {
                    ++expected;
                }
                const std::size_t newline = text.find('\n', line);
                line = newline == std::string::npos ? cut : newline + 1;
            }
            MemoryImage image;
            image.PrepareImage();
            ByteSource source(input);
            EXPECT_EQ(RunReader(format, image, source), cut > 0);
            // The records are contiguous from 0x1000, so the image ends right after the last
            // complete byte; it is empty when none came.
            std::uint32_t loaded = 0;
            const std::uint64_t imageEnd = std::uint64_t{image.BaseAddress()} + image.Length();
            for (const ImageSegment& segment : image.Segments().Segments()) {
                loaded += segment.sum;
                EXPECT_LT(segment.end, imageEnd);
            }
            EXPECT_EQ(loaded, expected);
            EXPECT_EQ(image.Length() == 0 ? 0x1000 : imageEnd, 0x1000U + expected);
        }
    }
}

// The fields a reader decodes whole from its buffer and the same fields taken a character at a
// time give one result, on damaged input too: characters that are no digits inside fields,
// spoiled checksums, a cut last record.
TEST_P(ReaderContractTest, BufferAndCharacterPathsAgreeOnDamagedInput) {
    struct Outcome {
        bool read = false;
        std::string status;
        std::uint32_t base = 0;
        std::uint64_t end = 0;
        std::uint64_t length = 0;
        std::uint32_t checksum = 0;
        std::vector<ImageSegment> segments;
        bool operator==(const Outcome&) const = default;
    };
    const auto readIn = [](const Bytes& text, std::size_t chunk) {
        MemoryImage read;
        read.PrepareImage();
        ByteSource source(text, chunk);
        Outcome outcome;
        outcome.read = RunReader(GetParam(), read, source);
        outcome.status = read.StatusText();
        outcome.base = read.BaseAddress();
        outcome.end = read.EndAddress();
        outcome.length = read.Length();
        outcome.checksum = read.ImageChecksum();
        outcome.segments = read.Segments().Segments();
        return outcome;
    };
    std::mt19937 random(11);
    const std::string noise = "0123456789ABCDEFabcdefGgx :/%S\r\n";
    for (int round = 0; round < 40; ++round) {
        Bytes damaged = input;
        damaged.resize(damaged.size() - random() % 64);
        for (int i = 0; i < round % 8; ++i) {
            damaged[random() % damaged.size()] =
                static_cast<std::uint8_t>(noise[random() % noise.size()]);
        }
        const Outcome characters = readIn(damaged, 1);
        EXPECT_TRUE(readIn(damaged, ByteSource::kBufferSize) == characters)
            << "round " << round << ": " << characters.status;
        EXPECT_TRUE(readIn(damaged, 7) == characters) << "round " << round;
    }
}

} // namespace
} // namespace t8::test
