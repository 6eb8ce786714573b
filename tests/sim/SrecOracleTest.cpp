// The simulator's writers checked by srec_cat, where it is installed: what they write must read
// back, through srec_cat, as the very bytes they were given.
#include "sim/records/FormatCodec.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace t8::sim {
namespace {

struct OracleCase {
    Format format;
    const char* srecFormat; // srec_cat's name for it
    std::uint32_t start;
    std::size_t bytesPerRecord;
};

void PrintTo(const OracleCase& param, std::ostream* out) {
    *out << param.srecFormat << " from " << param.start;
}

class SrecOracleTest : public testing::TestWithParam<OracleCase> {};

std::vector<std::uint8_t> Pattern(std::size_t size) {
    std::vector<std::uint8_t> data(size);
    for (std::size_t i = 0; i < size; ++i) {
        data[i] = static_cast<std::uint8_t>(i * 31 + (i >> 7));
    }
    return data;
}

TEST_P(SrecOracleTest, SrecCatReadsWhatTheWriterWrote) {
#ifndef T8_SREC_CAT
    GTEST_SKIP() << "srec_cat is not installed";
#else
    const OracleCase& param = GetParam();
    const std::vector<std::uint8_t> data = Pattern(0x1234);
    const auto codec = MakeCodec(param.format);
    std::string text = param.format == Format::Ascii ? "\x02" : ""; // srec_cat wants STX ... ETX
    for (const std::string& record : codec->Write(data, param.start, param.bytesPerRecord)) {
        text += record + (param.format == Format::Binary ? "" : "\r\n");
    }
    text += param.format == Format::Ascii ? "\x03" : "";

    const auto dir =
        std::filesystem::temp_directory_path() / ("t8sim_oracle_" + std::to_string(::getpid()) +
                                                  "_" + std::string(param.srecFormat).substr(1));
    std::filesystem::create_directories(dir);
    const auto input = dir / "in.txt";
    const auto output = dir / "out.bin";
    std::ofstream(input, std::ios::binary) << text;
    // addressless formats load at 0; the others are cut back to the range for the comparison
    const std::uint32_t offset = InfoOf(param.format).carriesAddresses ? param.start : 0;
    const std::string command = std::string(T8_SREC_CAT) + " " + input.string() + " " +
                                param.srecFormat + " -offset -" + std::to_string(offset) + " -o " +
                                output.string() + " -binary 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    std::ifstream result(output, std::ios::binary);
    const std::vector<std::uint8_t> read((std::istreambuf_iterator<char>(result)),
                                         std::istreambuf_iterator<char>());
    EXPECT_EQ(read, data);
    std::filesystem::remove_all(dir);
#endif
}

INSTANTIATE_TEST_SUITE_P(
    Writers, SrecOracleTest,
    testing::Values(OracleCase{Format::Intel, "-intel", 0x0FF00, 16},
                    OracleCase{Format::Intel, "-intel", 0xFFF00, 64}, // linear address records
                    OracleCase{Format::Motorola, "-motorola", 0x01000, 32},
                    OracleCase{Format::Motorola, "-motorola", 0x4FF00, 7}, // S2 records
                    OracleCase{Format::Tek, "-tektronix", 0x02000, 16},
                    OracleCase{Format::TekExtended, "-tektronix_extended", 0x8F000, 64},
                    OracleCase{Format::Ascii, "-ascii_hex", 0, 16},
                    OracleCase{Format::Binary, "-binary", 0, 64}),
    [](const auto& param) {
        return std::string(param.param.srecFormat).substr(1) + std::to_string(param.index);
    });

} // namespace
} // namespace t8::sim
