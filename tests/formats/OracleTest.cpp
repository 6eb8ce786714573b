// Files written by srec_cat and objcopy, examined and compared with what srec_info and
// srec_cat say of the same file: data ranges, the byte sum of each range, and the sum of the
// image filled with 0xFF.

#include "formats/FormatRecognizer.h"
#include "tests/formats/TestRecords.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace t8::test {
namespace {

namespace fs = std::filesystem;

struct Case {
    std::string name;
    std::string writer;   // command that writes OUT from the block files
    std::string readFlag; // srec_cat's name of the format
    TransferFormat format;
};

class OracleTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::string(T8_SREC_CAT).empty() || std::string(T8_SREC_INFO).empty() ||
            std::string(T8_OBJCOPY).empty()) {
            GTEST_SKIP() << "srec_cat, srec_info or objcopy not found";
        }
        char pattern[] = "/tmp/t8oracle.XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir = pattern;
        std::mt19937 random(7);
        for (const auto& [name, size] :
             {std::pair{"a", 700}, {"b", 300}, {"c", 1500}, {"d", 150000}}) {
            std::ofstream out(dir / (std::string(name) + ".bin"), std::ios::binary);
            for (int i = 0; i < size; ++i) {
                out.put(static_cast<char>(random()));
            }
        }
    }
    void TearDown() override {
        if (!dir.empty()) {
            fs::remove_all(dir);
        }
    }

    std::string Path(const std::string& name) const { return (dir / name).string(); }
    static std::string Capture(const std::string& command) {
        std::string out;
        FILE* pipe = ::popen(command.c_str(), "r");
        char buffer[512];
        while (pipe != nullptr && std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
            out += buffer;
        }
        EXPECT_EQ(pipe == nullptr ? -1 : ::pclose(pipe), 0) << command;
        return out;
    }
    // Sum of the bytes srec_cat writes for [low, high] of file, gaps filled when fill is set.
    std::uint32_t OracleSum(const Case& c, std::uint64_t low, std::uint64_t high, bool fill) const {
        const std::string range = std::to_string(low) + " " + std::to_string(high + 1);
        Capture(std::string(T8_SREC_CAT) + " " + Path("out") + " " + c.readFlag +
                (fill ? " -fill 0xFF " + range : "") + " -crop " + range + " -offset -" +
                std::to_string(low) + " -o " + Path("range.bin") + " -binary 2>/dev/null");
        std::ifstream in(Path("range.bin"), std::ios::binary);
        std::uint32_t sum = 0;
        for (char ch = 0; in.get(ch);) {
            sum += static_cast<std::uint8_t>(ch);
        }
        return sum;
    }

    fs::path dir;
};

TEST_F(OracleTest, AgreesWithTheToolsOnTheirOwnFiles) {
    const std::string cat = std::string(T8_SREC_CAT) + " ";
    const std::string blocks16 = Path("a.bin") + " -binary -offset 0x1000 " + Path("b.bin") +
                                 " -binary -offset 0x3000 " + Path("c.bin") +
                                 " -binary -offset 0x9000";
    const std::string blocks24 = Path("a.bin") + " -binary -offset 0x1000 " + Path("c.bin") +
                                 " -binary -offset 0x12000 " + Path("d.bin") +
                                 " -binary -offset 0x40000";
    const std::string objcopy = std::string(T8_OBJCOPY) + " -I binary --change-addresses 0x20000 ";
    const std::vector<Case> cases = {
        {"srec_cat Intel", cat + blocks24 + " -o OUT -Intel", "-Intel",
         TransferFormat::FormatIntel},
        {"srec_cat Motorola S2", cat + blocks24 + " -o OUT -Motorola", "-Motorola",
         TransferFormat::FormatMotorola},
        {"srec_cat Motorola S1", cat + blocks16 + " -o OUT -Motorola -address-length=2",
         "-Motorola", TransferFormat::FormatMotorola},
        {"srec_cat Tektronix", cat + blocks16 + " -o OUT -Tektronix", "-Tektronix",
         TransferFormat::FormatTek},
        {"srec_cat Tektronix extended", cat + blocks24 + " -o OUT -Tektronix_Extended",
         "-Tektronix_Extended", TransferFormat::FormatTek},
        {"srec_cat binary", cat + Path("d.bin") + " -binary -o OUT -binary", "-binary",
         TransferFormat::FormatBinary},
        {"objcopy ihex", objcopy + "-O ihex " + Path("d.bin") + " OUT", "-Intel",
         TransferFormat::FormatIntel},
        {"objcopy srec", objcopy + "-O srec " + Path("d.bin") + " OUT", "-Motorola",
         TransferFormat::FormatMotorola},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string command = c.writer;
        command.replace(command.find("OUT"), 3, Path("out"));
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        MemoryImage image;
        image.SetFill(true, 0xFF);
        const RecognitionResult result = RecognizeFile(image, Path("out"));
        ASSERT_TRUE(result.recognized);
        EXPECT_EQ(result.format, c.format);
        EXPECT_EQ(image.ImageChecksum(),
                  OracleSum(c, image.BaseAddress(),
                            std::uint64_t{image.BaseAddress()} + image.Length() - 1, true));
        image.SortSegments();
        image.MergeSegments();
        image.MergeSegments();
        // srec_info lists the data ranges; gaps here are all wider than the merge window.
        const std::string info = Capture(std::string(T8_SREC_INFO) + " " + Path("out") + " " +
                                         c.readFlag + " 2>/dev/null");
        // Ranges read "LOW - HIGH" in hex, one or several per line after "Data:".
        std::vector<ImageSegment> ranges;
        std::istringstream words(info.substr(info.find("Data:") + 5));
        for (std::string low, dash, high; words >> low >> dash >> high && dash == "-";) {
            const auto first = std::stoul(low, nullptr, 16);
            const auto last = std::stoul(high, nullptr, 16);
            ranges.push_back({static_cast<std::uint32_t>(first), static_cast<std::uint32_t>(last),
                              OracleSum(c, first, last, false)});
        }
        ASSERT_FALSE(ranges.empty()) << info;
        EXPECT_EQ(image.Segments().Segments(), ranges);
    }
}

} // namespace
} // namespace t8::test
