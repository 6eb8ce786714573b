// Images whose span dwarfs their data, long descending files and inputs that exceed every
// internal bound: results as defined, memory as the data.

#include "formats/AsciiHexReader.h"
#include "formats/BinaryReader.h"
#include "formats/FormatRecognizer.h"
#include "tests/formats/TestRecords.h"

#include <gtest/gtest.h>

namespace t8::test {
namespace {

RecognitionResult Recognize(MemoryImage& image, const std::string& text, std::size_t chunk = 0) {
    const Bytes input = ToBytes(text);
    ByteSource source(input, chunk);
    return RecognizeSource(image, source);
}

TEST(ImageScaleTest, FourGigabyteSpanCostsTwoPages) {
    const std::string text = IntelRecord(0, 0, Filled(16, 1)) + IntelRecord(4, 0, {0xFF, 0xFF}) +
                             IntelRecord(0, 0, Filled(16, 2)) + IntelEnd();
    MemoryImage image;
    image.SetFill(true, 0xFF);
    ASSERT_TRUE(Recognize(image, text).recognized);
    EXPECT_EQ(image.BaseAddress(), 0U);
    EXPECT_EQ(image.Length(), 0xFFFF0010U);
    EXPECT_EQ(image.PageCount(), 2U);
    const std::uint64_t unused = 0xFFFF0010ULL - 32;
    EXPECT_EQ(image.ImageChecksum(), static_cast<std::uint32_t>(16 + 32 + unused * 0xFF));
    std::uint8_t gap[2] = {};
    image.ReadPositions(0xFFFEFFFF, gap);
    EXPECT_EQ(gap[0], 0xFF);
    EXPECT_EQ(gap[1], 2);
}

TEST(ImageScaleTest, TenThousandDescendingRecordsLoadAsDefined) {
    std::string text;
    std::uint32_t sum = 0;
    std::uint32_t upper = 0xFFFFFFFFU;
    for (std::uint32_t i = 10000; i-- > 0;) {
        const std::uint32_t address = i * 16;
        if (address >> 16 != upper) {
            upper = address >> 16;
            text += IntelRecord(4, 0, {0, static_cast<std::uint8_t>(upper)});
        }
        const Bytes data = Filled(16, static_cast<std::uint8_t>(i));
        sum += ByteSum(data);
        text += IntelRecord(0, address & 0xFFFF, data);
    }
    MemoryImage image;
    ASSERT_TRUE(Recognize(image, text).recognized);
    EXPECT_EQ(image.BaseAddress(), 0U);
    EXPECT_EQ(image.Length(), 160000U);
    EXPECT_EQ(image.ImageChecksum(), sum);
    image.SortSegments();
    image.MergeSegments();
    image.MergeSegments();
    // Below 256 a segment's window stops at its start, so each of the last 16 records starts a
    // segment of its own; two merge passes join them four by four.
    const std::uint32_t low = 16 * (0 + 1 + 2 + 3);
    const std::uint32_t next = 16 * (4 + 5 + 6 + 7);
    const std::uint32_t third = 16 * (8 + 9 + 10 + 11);
    EXPECT_EQ(image.Segments().Segments(),
              (std::vector<ImageSegment>{{0, 0x3F, low},
                                         {0x40, 0x7F, next},
                                         {0x80, 0xBF, third},
                                         {0xC0, 159999, sum - low - next - third}}));
}

TEST(ImageScaleTest, InputsBeyondEveryBufferBound) {
    // A 255-byte record spans several load chunks; a piece size of 1 byte splits every field.
    MemoryImage intel;
    const Bytes record = Filled(255, 3);
    ASSERT_GT(record.size(), ReaderBase::kLoadChunk);
    ASSERT_TRUE(Recognize(intel, IntelRecord(0, 0x10, record), 1).recognized);
    EXPECT_EQ(intel.Length(), 255U);
    EXPECT_EQ(intel.ImageChecksum(), 255U * 3U);

    MemoryImage ascii;
    std::string pairs;
    for (std::size_t i = 0; i < AsciiHexReader::kRunSize + 100; ++i) {
        pairs += "7F ";
    }
    ASSERT_TRUE(Recognize(ascii, pairs).recognized);
    EXPECT_EQ(ascii.Length(), AsciiHexReader::kRunSize + 100);
    EXPECT_EQ(ascii.Segments().Segments().front().sum, (AsciiHexReader::kRunSize + 100) * 0x7F);

    MemoryImage binary;
    std::string bytes(ByteSource::kBufferSize + BinaryReader::kBlockSize + 3, '\xC3');
    ASSERT_TRUE(Recognize(binary, bytes).recognized);
    EXPECT_EQ(binary.Length(), bytes.size());
    EXPECT_EQ(binary.ImageChecksum(), bytes.size() * 0xC3);
}

} // namespace
} // namespace t8::test
