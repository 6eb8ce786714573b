// Golden cases: an input, and the image, segments or exact message it must give, each input
// also fed in pieces of 1 and 7 bytes so that no field depends on a buffer boundary.

#include "formats/FormatInfo.h"
#include "formats/FormatRecognizer.h"
#include "tests/formats/TestRecords.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace t8::test {
namespace {

struct Golden {
    const char* name;
    std::string input;
    std::string status; // a "File recognized as" text, else the reader's exact error
    std::uint64_t length = 0;
    std::uint32_t offset = 0;
    std::vector<ImageSegment> segments = {}; // after the sort and both merge passes
    int fill = -1;                           // fill pattern, -1 for fill off
    std::int64_t checksum = -1;              // -1: the segments' total, as with fill off
};

constexpr const char* kIntel = "File recognized as Intel HEX file.";
constexpr const char* kMotorola = "File recognized as MOTOROLA S file.";
constexpr const char* kTek = "File recognized as TEKTRONIX HEX file.";
constexpr const char* kAscii = "File recognized as ASCII HEX file.";
constexpr const char* kBinary = "File recognized as BINARY file.";

const Bytes kSixteen = Filled(16, 0x11);
const std::string kIntelThenBinary = ":020100001234B7\r\n\x80\x81";
const std::string kTekThenBinary = "/10000203ABCD2E\r\n:";

// One case a line where it fits: name, input, status, length, offset, segments, fill, checksum.
// clang-format off
std::vector<Golden> Cases() {
    return {
        {"Empty", "", kBinary, 0, 0},
        {"AsciiPairsAcrossLines", "00 11 22\r\n33", kAscii, 4, 0, {{0, 3, 0x66}}},
        {"AsciiNoSeparators", "0A0B", kAscii, 2, 0, {{0, 1, 0x15}}},
        {"AsciiLoneLastDigitCountsAsHighNibble", "0A1", kAscii, 2, 0, {{0, 1, 0x1A}}},
        {"IntelSimple", ":020100001234B7\r\n:00000001FF\r\n", kIntel, 2, 0x100,
         {{0x100, 0x101, 0x46}}},
        {"IntelChecksumError", ":020100001234B8\r\n",
         "INTELHEX: Line checksum error at : 00000100 (B8!=B7)"},
        {"IntelSegmentAddress", IntelRecord(2, 0, {0x10, 0x00}) + IntelRecord(0, 0x10, {0xAA}),
         kIntel, 1, 0x10010, {{0x10010, 0x10010, 0xAA}}},
        // The segment is shifted and added: its low bits overlap the offset's.
        {"IntelSegmentOverlapsTheOffset", IntelRecord(2, 0, {0x12, 0x34}) +
         IntelRecord(0, 0x0100, {0xAA}), kIntel, 1, 0x12440, {{0x12440, 0x12440, 0xAA}}},
        {"IntelLinearAddress", IntelRecord(4, 0, {0x00, 0x01}) + IntelRecord(0, 0, {0x55}),
         kIntel, 1, 0x10000, {{0x10000, 0x10000, 0x55}}},
        {"IntelTextAfterEndIsNotRead", IntelRecord(0, 0, {1}) + IntelEnd() + "\t;junk\x90",
         kIntel, 1, 0, {{0, 0, 1}}},
        {"IntelWithTabIsBinary", IntelRecord(0, 0, {1}) + "\t", kBinary, 16, 0},
        {"IntelLowerCase", ":020100001234b7\n", kIntel, 2, 0x100},
        {"IntelGapFilled", IntelRecord(0, 0, kSixteen) + IntelRecord(0, 0x100, kSixteen) +
         IntelEnd(), kIntel, 0x110, 0, {{0, 0x10F, 0x220}}, 0xFF, 0x220 + 0xF0 * 0xFF},
        {"MotorolaS1", "S00600004844521B\n" + SRecord(1, 0x1000, Filled(0x80, 2)) +
         SRecord(1, 0x1080, Filled(0x80, 2)) + "S9030000FC\n", kMotorola, 0x1100, 0,
         {{0x1000, 0x10FF, 0x200}}, 0x01, 0x200 + 0x1000},
        {"MotorolaS2RoundsBase", SRecord(2, 0x012345, {7}), kMotorola, 0x2346, 0x10000},
        {"MotorolaS2LowerRecordMovesBase", SRecord(2, 0x012345, {7}) + SRecord(2, 0x100, {8}),
         kMotorola, 0x12246, 0x100},
        {"MotorolaS3S7LoadNothing", "S30900001000AABBCCDDE2\nS70500001000EA\n", kMotorola, 0,
         0xFFFFFFFF},
        {"MotorolaHeaderOnly", "S0030000FC\n", kMotorola, 0, 0xFFFFFFFF},
        {"MotorolaLowerCase", "s10510001234a4\n", kMotorola, 0x1002, 0, {{0x1000, 0x1001, 0x46}}},
        {"MotorolaS1ChecksumError", "S10510001234A5\n",
         "MOTOROLA S: Line checksum error at : 1000 (A5!=A4)"},
        {"MotorolaS2ChecksumError", "S206012345070000\n",
         "MOTOROLA S: Line checksum error at : 012345 (00!=89)"},
        {"MotorolaBinaryTailEndsInput", "S10510001234A4\n\xff\x01:;", kMotorola, 0x1002, 0},
        {"MotorolaCountTooSmallIsPassedOver", "S1020000\n" + SRecord(1, 0x10, {3}), kMotorola,
         0x11, 0, {{0x10, 0x10, 3}}},
        {"TekTerminationAtZeroLowersBase", TekRecord(0x1000, Filled(0x80, 1)) +
         TekRecord(0x1080, Filled(0x80, 1)) + TekRecord(0, {}), kTek, 0x1100, 0,
         {{0x1000, 0x10FF, 0x100}}},
        {"TekTerminationAtData", TekRecord(0x1000, Filled(0x80, 1)) +
         TekRecord(0x1080, Filled(0x80, 1)) + TekRecord(0x1000, {}), kTek, 0x100, 0x1000},
        {"TekGolden", "/10000203ABCD2E\n", kTek, 2, 0x1000, {{0x1000, 0x1001, 0x178}}},
        {"TekChecksum1Error", "/10000204ABCD2E\n",
         "TEKHEX: Line checksum #1 error at : 1000 (04!=03)"},
        {"TekChecksum2Error", "/10000203ABCD2F\n",
         "TEKHEX: Line checksum #2 error at : 1000 (2F!=2E)"},
        {"TekExtended", TekExtended('6', 0x2000, {1, 2}) + TekExtended('3', 0x2002, {3}) +
         "%0781010\n", kTek, 3, 0x2000, {{0x2000, 0x2002, 6}}},
        {"TekExtendedAddressLengthZero", "%0A6000AABB\n", kTek, 2, 0, {{0, 1, 0x165}}},
        {"TekExtendedTooShortIsPassedOver", "%0360010\n", kTek, 0, 0xFFFFFFFF},
        {"SlashWithoutDigitsIsTekTermination", "/\x01\x02\x03\x04\x05\x06rest", kTek, 0, 0},
        {"SlashWithBadChecksumIsNothing", "/\x01\x02\x03\x04" "01\x05\x06",
         "TEKHEX: Line checksum #1 error at : 0000 (00!=01)"},
        {"ByteAt10Then05", IntelRecord(0, 0x10, {1}) + IntelRecord(0, 0x05, {2}), kIntel, 0xC, 5,
         {{5, 5, 2}, {0x10, 0x10, 1}}},
        {"ByteAt05Then10", IntelRecord(0, 0x05, {2}) + IntelRecord(0, 0x10, {1}), kIntel, 0xC, 5,
         {{5, 0x10, 3}}},
        {"Records200Apart", IntelRecord(0, 0x1000, {1}) + IntelRecord(0, 0x10C8, {1}), kIntel,
         0xC9, 0x1000, {{0x1000, 0x10C8, 2}}},
        {"Records300Apart", IntelRecord(0, 0x1000, {1}) + IntelRecord(0, 0x112C, {1}), kIntel,
         0x12D, 0x1000, {{0x1000, 0x1000, 1}, {0x112C, 0x112C, 1}}},
        // Nothing lies beyond the top of the address space: a record running past it ends
        // there, and the image reaches the top itself. No window reaches past the top: every
        // byte there starts a segment, two passes join 4.
        {"RecordPastTheTopEndsThere", IntelRecord(4, 0, {0xFF, 0xFF}) +
         IntelRecord(0, 0xFFF0, Filled(0x20, 1)), kIntel, 0x10, 0xFFFFFFF0,
         {{0xFFFFFFF0, 0xFFFFFFF3, 4}, {0xFFFFFFF4, 0xFFFFFFF7, 4},
          {0xFFFFFFF8, 0xFFFFFFFB, 4}, {0xFFFFFFFC, 0xFFFFFFFF, 4}}},
        {"TekExtendedPastTheTopAfterData", TekExtended('6', 0, {1, 2, 3, 4}) +
         TekExtended('6', 0xFFFFFFFF, {5, 6, 7}), kTek, std::uint64_t{1} << 32, 0,
         {{0, 3, 10}, {0xFFFFFFFF, 0xFFFFFFFF, 5}}},
        // A record cut off by the end of the file: its complete bytes count, and a file that
        // loaded nothing has an empty image whatever address its records named.
        {"TekTerminationOnlyLoadsNothing", "/10000001", kTek, 0, 0x1000},
        {"TekCutInData", "/10000203AB", kTek, 1, 0x1000, {{0x1000, 0x1000, 0xAB}}},
        {"TekExtendedCutInData", "%0A63A0AAB", kTek, 1, 0, {{0, 0, 0xAA}}},
        {"IntelCutInData", ":0201000012", kIntel, 1, 0x100, {{0x100, 0x100, 0x12}}},
        {"IntelCutBeforeChecksum", ":020100001234", kIntel, 2, 0x100, {{0x100, 0x101, 0x46}}},
        {"MotorolaCutInData", "S1051000AB", kMotorola, 0x1001, 0, {{0x1000, 0x1000, 0xAB}}},
        {"CutRecordWithoutBytesAddsNothing", IntelRecord(0, 0x1000, {1}) + ":02200000", kIntel,
         1, 0x1000, {{0x1000, 0x1000, 1}}},
        // The binary reader lists its own bytes only, not the records a failed reader loaded.
        {"BinaryAfterIntelRecords", kIntelThenBinary, kBinary, 19, 0,
         {{0, 18, ByteSum(ToBytes(kIntelThenBinary))}}},
        {"BinaryAfterTekRecords", kTekThenBinary, kBinary, 18, 0,
         {{0, 17, ByteSum(ToBytes(kTekThenBinary))}}},
    };
}
// clang-format on

class ReaderGoldenTest : public ::testing::TestWithParam<Golden> {};

TEST_P(ReaderGoldenTest, GivesItsImageInAnyPieces) {
    const Golden& golden = GetParam();
    const bool recognized = golden.status.starts_with("File recognized as ");
    const Bytes input = ToBytes(golden.input);
    for (const std::size_t chunk : {std::size_t{1}, std::size_t{7}, ByteSource::kBufferSize}) {
        SCOPED_TRACE(chunk);
        MemoryImage image;
        image.SetFill(golden.fill >= 0, static_cast<std::uint32_t>(golden.fill));
        ByteSource source(input, chunk);
        const RecognitionResult result = RecognizeSource(image, source);
        EXPECT_EQ(result.recognized, recognized);
        EXPECT_EQ(image.StatusText(), golden.status);
        if (recognized) { // the format found is the one whose text the status shows
            ASSERT_NE(FindFormat(result.format), nullptr);
            EXPECT_EQ(FindFormat(result.format)->recognizedText, golden.status);
        }
        EXPECT_EQ(image.BaseAddress(), golden.offset);
        if (!recognized) {
            EXPECT_TRUE(result.examinationEnded);
            EXPECT_EQ(result.binaryLengthText, "");
            continue;
        }
        EXPECT_EQ(image.Length(), golden.length);
        if (!golden.segments.empty() || golden.input.empty()) {
            std::int64_t total = 0;
            for (const ImageSegment& segment : golden.segments) {
                total += segment.sum;
            }
            EXPECT_EQ(image.ImageChecksum(), golden.checksum < 0 ? total : golden.checksum);
            image.SortSegments();
            image.MergeSegments();
            image.MergeSegments();
            EXPECT_EQ(image.Segments().Segments(), golden.segments);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, ReaderGoldenTest, ::testing::ValuesIn(Cases()),
                         [](const auto& param) { return std::string(param.param.name); });

// A file that cannot be opened is the examination's test (and t8examine's).
TEST(RecognizeFileTest, ReportsLengthTexts) {
    MemoryImage image;
    const Bytes input = ToBytes(":020100001234B7\r\n");
    ByteSource source(input);
    const RecognitionResult result = RecognizeSource(image, source);
    EXPECT_EQ(result.fileLengthText, "17 bytes.");
    EXPECT_EQ(result.binaryLengthText, "$00000002 ");
    EXPECT_EQ(result.format, TransferFormat::FormatIntel);

    // Bytes at both ends of the address space: an image of the whole 4 GiB.
    const Bytes ends = ToBytes(IntelRecord(0, 0, {1}) + IntelRecord(4, 0, {0xFF, 0xFF}) +
                               IntelRecord(0, 0xFFFF, {2}));
    ByteSource whole(ends);
    EXPECT_EQ(RecognizeSource(image, whole).binaryLengthText, "$100000000 ");
}

TEST(TransferFormatTest, LastKeywordInMatchOrderDecides) {
    EXPECT_EQ(MatchFormatKeywords("INTEL TEK"), TransferFormat::FormatIntel);
    EXPECT_EQ(MatchFormatKeywords("ASCII BINARY"), TransferFormat::FormatAscii);
    EXPECT_EQ(MatchFormatKeywords("tek"), TransferFormat::FormatUndetermined);
    EXPECT_EQ(static_cast<int>(MatchFormatKeywords("MOTOROLA")), 3);
    EXPECT_EQ(MatchFormatKeywords("BINARY MOTOROLA"), TransferFormat::FormatBinary);
    EXPECT_EQ(MatchFormatKeywords("MOTOROLA TEK"), TransferFormat::FormatMotorola);
    EXPECT_EQ(FormatKeyword(TransferFormat::FormatTek), "TEK");
    EXPECT_EQ(FormatKeyword(TransferFormat::FormatUndetermined), "");
}

// A row added for a new format has everything every table reader needs.
TEST(FormatTableTest, EveryRowIsCompleteAndFoundByItsCode) {
    std::set<int> codes;
    for (const FormatInfo& row : Formats()) {
        SCOPED_TRACE(std::string(row.keyword));
        EXPECT_EQ(FindFormat(row.format), &row);
        EXPECT_TRUE(codes.insert(static_cast<int>(row.format)).second) << "one row a code";
        EXPECT_LT(static_cast<std::size_t>(row.format), kFormatSlots);
        EXPECT_EQ(MatchFormatKeywords(row.keyword), row.format);
        EXPECT_TRUE(row.recognizedText.starts_with("File recognized as "));
        EXPECT_TRUE(row.receiveText.starts_with("Receive "));
        EXPECT_NE(row.makeReader, nullptr);
        EXPECT_EQ(row.makeCheck == nullptr, row.format == TransferFormat::FormatBinary);
    }
    EXPECT_EQ(FindFormat(TransferFormat::FormatUndetermined), nullptr);
    EXPECT_EQ(Formats().back().format, TransferFormat::FormatBinary) << "binary takes any file";
}

} // namespace
} // namespace t8::test
