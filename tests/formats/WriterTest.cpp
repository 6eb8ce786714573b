// The five writers read back by our readers and by srec_cat, and values stamped into files in
// place: by srec_cat's files too, which must stay byte for byte what they were when the values
// are those they hold.

#include "formats/FileStamp.h"
#include "formats/FormatInfo.h"
#include "formats/FormatRecognizer.h"
#include "tests/formats/TestRecords.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

namespace t8::test {
namespace {

namespace fs = std::filesystem;

Bytes Span(const std::string& text) {
    return {text.begin(), text.end()};
}

// Blocks of random bytes at the given addresses, as one reader run would leave them.
void Build(MemoryImage& image, const std::vector<std::pair<std::uint32_t, std::size_t>>& blocks) {
    std::mt19937 random(11);
    image.PrepareImage();
    std::uint64_t end = 0;
    for (const auto& [address, size] : blocks) {
        Bytes data(size);
        for (auto& value : data) {
            value = static_cast<std::uint8_t>(random());
        }
        if (image.BaseAddress() == MemoryImage::kNoBase || address < image.BaseAddress()) {
            image.SetBaseAddress(address);
        }
        image.Load(address, data.data(), data.size());
        end = std::max<std::uint64_t>(end, address + size);
    }
    image.SetLength(end - image.BaseAddress());
}

Bytes At(const MemoryImage& image, std::uint32_t address, std::size_t count) {
    Bytes out(count);
    image.ReadPositions(address - image.BaseAddress(), out);
    return out;
}

const std::vector<std::pair<std::uint32_t, std::size_t>> kNarrow = {{0x0, 40}, {0x7F00, 300}};
const std::vector<std::pair<std::uint32_t, std::size_t>> kWide = {{0x1FFF8, 20}, {0x40000, 700}};

TEST(WriterTest, EveryFormatRoundTripsToTheSameImageAndFile) {
    for (const FormatInfo& row : Formats()) {
        for (const auto* blocks : {&kNarrow, &kWide}) {
            SCOPED_TRACE(std::string(row.keyword) + (blocks == &kWide ? " wide" : " narrow"));
            MemoryImage image;
            Build(image, *blocks);
            const ImageText written = row.writeImage(image);
            ASSERT_TRUE(written.problem.empty()) << written.problem;
            const Bytes file = Span(written.text);
            MemoryImage again;
            ByteSource source(file);
            const RecognitionResult read = RecognizeSource(again, source);
            ASSERT_TRUE(read.recognized);
            EXPECT_EQ(read.format, row.format);
            for (const auto& [address, size] : *blocks) {
                EXPECT_EQ(At(again, address, size), At(image, address, size));
            }
            EXPECT_EQ(row.writeImage(again).text, written.text);
        }
    }
}

TEST(WriterTest, StampChangesOnlyTheValuesAndKeepsWhatIsThere) {
    const Bytes number = {0x12, 0xAB, 0xCD, 0x00};
    for (const FormatInfo& row : Formats()) {
        SCOPED_TRACE(std::string(row.keyword));
        MemoryImage image;
        Build(image, kNarrow);
        std::string text = row.writeImage(image).text;
        if (row.format != TransferFormat::FormatBinary) { // letters in the other case stay so
            for (char& c : text) {
                c = static_cast<char>(c >= 'A' && c <= 'F' ? c - 'A' + 'a' : c);
            }
        }
        const Bytes original = Span(text);
        const std::uint32_t address = 0x7FFE; // across the end of a record
        const StampResult stamped = StampFile(original, address, number);
        ASSERT_TRUE(stamped.problem.empty()) << stamped.problem;
        EXPECT_EQ(stamped.format, row.format);
        EXPECT_EQ(stamped.bytes.size(), original.size());
        const auto upper = std::count_if(stamped.bytes.begin(), stamped.bytes.end(),
                                         [](std::uint8_t c) { return c >= 'A' && c <= 'F'; });
        EXPECT_EQ(upper, row.format == TransferFormat::FormatBinary ? upper : 0);
        MemoryImage back;
        ByteSource source(stamped.bytes);
        ASSERT_TRUE(RecognizeSource(back, source).recognized);
        EXPECT_EQ(At(back, address, number.size()), number);
        EXPECT_EQ(At(back, 0x7F00, 0xFE), At(image, 0x7F00, 0xFE));
        EXPECT_EQ(At(back, 0x8002, 0x7E), At(image, 0x8002, 0x7E));
        EXPECT_EQ(StampFile(stamped.bytes, address, number).bytes, stamped.bytes);
        EXPECT_EQ(StampFile(original, address, At(image, address, 4)).bytes, original);
        EXPECT_FALSE(StampFile(original, 0x802A, number).problem.empty()); // runs past the end
        if (row.format != TransferFormat::FormatAscii &&
            row.format != TransferFormat::FormatBinary) {
            EXPECT_FALSE(StampFile(original, 0x7000, number).problem.empty()); // a gap
        }
    }
}

class WriterPeerTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::string(T8_SREC_CAT).empty()) {
            GTEST_SKIP() << "srec_cat not found";
        }
        ASSERT_TRUE(dir.Ok());
    }
    std::string Path(const std::string& name) const { return dir.Path(name); }
    void Save(const std::string& name, const Bytes& bytes) const {
        std::ofstream(Path(name), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    }
    Bytes Load(const std::string& name) const {
        std::ifstream in(Path(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    // What srec_cat reads of [first, first + count) of a file, as bytes; empty when it refuses.
    Bytes PeerBytes(const std::string& name, const std::string& flag, std::uint32_t first,
                    std::size_t count) const {
        const std::string command =
            std::string(T8_SREC_CAT) + " " + Path(name) + " " + flag + " -crop " +
            std::to_string(first) + " " + std::to_string(first + count) + " -offset -" +
            std::to_string(first) + " -o " + Path("peer.bin") + " -binary 2>/dev/null";
        fs::remove(Path("peer.bin"));
        return std::system(command.c_str()) == 0 ? Load("peer.bin") : Bytes{};
    }
    TempFolder dir;
};

struct Peer {
    TransferFormat format;
    const char* flag;     // srec_cat's name of the format
    const char* writeArg; // how srec_cat writes it
    const std::vector<std::pair<std::uint32_t, std::size_t>>* blocks;
};

const Peer kPeers[] = {
    {TransferFormat::FormatIntel, "-Intel", "-Intel", &kWide},
    {TransferFormat::FormatMotorola, "-Motorola", "-Motorola -address-length=2", &kNarrow},
    {TransferFormat::FormatMotorola, "-Motorola", "-Motorola", &kWide},
    {TransferFormat::FormatTek, "-Tektronix", "-Tektronix", &kNarrow},
    {TransferFormat::FormatTek, "-Tektronix_Extended", "-Tektronix_Extended", &kWide},
    {TransferFormat::FormatBinary, "-Binary", "-Binary", &kNarrow},
};

TEST_F(WriterPeerTest, PeerReadsOurFilesAndOursStampedAndTheirsKeptWhole) {
    for (const Peer& peer : kPeers) {
        SCOPED_TRACE(std::string(peer.flag) + " " + peer.writeArg);
        MemoryImage image;
        Build(image, *peer.blocks);
        const FormatInfo* row = FindFormat(peer.format);
        const ImageText ours = row->writeImage(image);
        ASSERT_TRUE(ours.problem.empty()) << ours.problem;
        Save("ours", Span(ours.text));
        const auto [last, size] = peer.blocks->back();
        EXPECT_EQ(PeerBytes("ours", peer.flag, last, size), At(image, last, size));

        // srec_cat writes the file; a stamp of what it holds leaves it as it is, a new number
        // is read by srec_cat and by us at its place.
        Save("image", Span(ours.text));
        const std::string command = std::string(T8_SREC_CAT) + " " + Path("image") + " " +
                                    peer.flag + " -o " + Path("theirs") + " " + peer.writeArg +
                                    " 2>/dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        const Bytes theirs = Load("theirs");
        const std::uint32_t address = last + static_cast<std::uint32_t>(size) / 2 - 1;
        EXPECT_EQ(StampFile(theirs, address, At(image, address, 3)).bytes, theirs);
        const Bytes number = {0xE8, 0x03, 0x7F};
        const StampResult stamped = StampFile(theirs, address, number);
        ASSERT_TRUE(stamped.problem.empty()) << stamped.problem;
        Save("stamped", stamped.bytes);
        EXPECT_EQ(PeerBytes("stamped", peer.flag, address, 3), number);
        Bytes expected = At(image, last, size);
        std::copy(number.begin(), number.end(), expected.begin() + (address - last));
        EXPECT_EQ(PeerBytes("stamped", peer.flag, last, size), expected);
    }
}

} // namespace
} // namespace t8::test
