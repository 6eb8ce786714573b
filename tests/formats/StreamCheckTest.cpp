// Every stream is judged whole, split in two at every position and byte by byte, then ended as
// a receive ends it: serial data arrive in pieces, and the verdict must not depend on where
// they break.

#include "formats/FormatInfo.h"
#include "sim/records/FormatCodec.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <numeric>
#include <string>
#include <tuple>
#include <vector>

namespace t8::test {
namespace {

// Each format's check as the format table makes it.
using Check = StreamCheckFactory;
const Check kIntelCheck = FindFormat(TransferFormat::FormatIntel)->makeCheck;
const Check kMotorolaCheck = FindFormat(TransferFormat::FormatMotorola)->makeCheck;
const Check kTekCheck = FindFormat(TransferFormat::FormatTek)->makeCheck;
const Check kAsciiCheck = FindFormat(TransferFormat::FormatAscii)->makeCheck;
constexpr std::string_view kOk = StreamCheck::kNoErrors;
constexpr std::string_view kBad = StreamCheck::kCharacterErrors;
constexpr std::string_view kSum = StreamCheck::kSumErrors;

void Feed(StreamCheck& check, std::string_view text) {
    check.Check(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}

std::string Verdict(Check make, std::string_view stream) {
    const auto whole = make();
    Feed(*whole, stream);
    whole->CheckStreamEnd();
    for (std::size_t cut = 0; cut <= stream.size(); ++cut) {
        const auto split = make();
        Feed(*split, stream.substr(0, cut));
        Feed(*split, stream.substr(cut));
        split->CheckStreamEnd();
        if (split->StatusText() != whole->StatusText()) {
            ADD_FAILURE() << "split at " << cut;
            break;
        }
    }
    const auto single = make();
    for (const char c : stream) {
        Feed(*single, {&c, 1});
    }
    single->CheckStreamEnd();
    EXPECT_EQ(single->StatusText(), whole->StatusText()) << "byte by byte";
    return std::string(whole->StatusText());
}

// Well-formed and spoilt records of every format come from the simulator and srec_cat below;
// these are the rules those writers do not reach.
TEST(StreamCheckTest, Verdicts) {
    for (const auto& [name, check, stream, verdict] :
         {std::tuple{"intel checksum", kIntelCheck, ":020100001234B8\r\n:00000001FF\r\n", kBad},
          {"intel blank takes a digit's place", kIntelCheck, ":0201000012 34B7\r\n", kBad},
          {"intel byte above 0x7F", kIntelCheck, ":020100001234B7\xB7", kBad},
          {"intel record broken off", kIntelCheck, ":0201000012\r\n:00000001FF\r\n", kBad},
          {"motorola header unchecked", kMotorolaCheck, "S00600004844521C\r\nS10510001234A4\n",
           kOk},
          {"motorola record goes on past a bad character", kMotorolaCheck, "S105G10001234A5\r\n",
           kSum},
          {"motorola last error decides", kMotorolaCheck, "S10510001234A5\r\nS1;0510001234A4",
           kBad},
          {"tek termination ends at checksum 1", kTekCheck, "/10000001/10000203ABCD2E\n", kOk},
          {"tek extended too short", kTekCheck, "%0560B\r\n", kBad},
          {"ascii", kAsciiCheck, "00 11 22\r\n33\t4a", kOk},
          {"ascii character", kAsciiCheck, "00 1G 22\r\n", kBad},
          {"ascii has no record marks", kAsciiCheck, ":00", kBad}}) {
        EXPECT_EQ(Verdict(check, stream), verdict) << name;
    }
}

// A receive that stops inside a record (silence, or the prompt too early) left it unfinished.
TEST(StreamCheckTest, ARecordOpenAtTheEndIsAnError) {
    for (const auto& [name, check, stream, verdict] :
         {std::tuple{"intel data cut", kIntelCheck, ":0300300002337A1E\r\n:100040000102", kBad},
          {"intel bare mark", kIntelCheck, ":0300300002337A1E\r\n:", kBad},
          {"intel checksum missing", kIntelCheck, ":0300300002337A", kBad},
          {"intel ends on its checksum", kIntelCheck, ":0300300002337A1E", kOk},
          {"motorola data cut", kMotorolaCheck, "S10510001234A4\r\nS1051000", kBad},
          {"motorola checksum half there", kMotorolaCheck, "S10510001234A", kBad},
          {"motorola cut header unchecked", kMotorolaCheck, "S10510001234A4\r\nS0060000", kOk},
          {"tek standard data cut", kTekCheck, "/10000203ABCD2E\r\n/10000203AB", kBad},
          {"tek standard header cut", kTekCheck, "/100002", kBad},
          {"tek termination ends at checksum 1", kTekCheck, "/10000203ABCD2E\r\n/10000001", kOk},
          {"tek extended whole", kTekCheck, "%0A63A0AABB\r\n", kOk},
          {"tek extended data cut", kTekCheck, "%0A63A0AABB\r\n%0A63A0AA", kBad},
          {"ascii has no records", kAsciiCheck, "00 11 2", kOk}}) {
        EXPECT_EQ(Verdict(check, stream), verdict) << name;
    }
    // Until the end is known, the rest of the record may still come.
    const auto open = kIntelCheck();
    Feed(*open, ":100040000102");
    EXPECT_FALSE(open->HasErrors());
    open->CheckStreamEnd();
    EXPECT_EQ(open->StatusText(), kBad);
    EXPECT_EQ(FindFormat(TransferFormat::FormatBinary)->makeCheck, nullptr) << "nothing to check";
}

// Records as the simulated device sends them, intact and with one record spoilt.
TEST(StreamCheckTest, SimulatorStreams) {
    std::vector<std::uint8_t> data(200);
    std::iota(data.begin(), data.end(), std::uint8_t{0x30});
    for (const auto& [format, check, spoilt] : {std::tuple{sim::Format::Intel, kIntelCheck, kBad},
                                                {sim::Format::Motorola, kMotorolaCheck, kSum},
                                                {sim::Format::Tek, kTekCheck, kBad},
                                                {sim::Format::TekExtended, kTekCheck, kBad},
                                                {sim::Format::Ascii, kAsciiCheck, kOk}}) {
        const auto codec = sim::MakeCodec(format);
        const auto records = codec->Write(data, 0x0FF0, 16);
        for (const std::size_t bad : {std::size_t{0}, records.size() / 2, records.size()}) {
            auto copy = records;
            if (bad > 0) {
                codec->Corrupt(copy[bad - 1]);
            }
            std::string stream = "\r\n";
            for (const std::string& record : copy) {
                stream += record + "\r\n";
            }
            EXPECT_EQ(Verdict(check, stream), bad == 0 ? kOk : spoilt) << stream;
        }
    }
}

std::string Output(const std::string& command) {
    std::string out;
    FILE* pipe = ::popen(command.c_str(), "r");
    std::array<char, 512> buffer{};
    std::size_t n = 0;
    while (pipe != nullptr && (n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) {
        out.append(buffer.data(), n);
    }
    EXPECT_EQ(pipe == nullptr ? -1 : ::pclose(pipe), 0) << command;
    return out;
}

TEST(StreamCheckTest, SrecCatStreams) {
    if (std::string_view(T8_SREC_CAT).empty()) {
        GTEST_SKIP() << "srec_cat not found";
    }
    const std::string low = " -generate 0x0FF0 0x1230 -repeat-string T8HostLink -o - ";
    const std::string wide = " -generate 0xFFC0 0x10140 -repeat-string T8HostLink -o - ";
    for (const auto& [output, check] : {std::pair{wide + "-intel", kIntelCheck},
                                        {wide + "-motorola", kMotorolaCheck},
                                        {low + "-motorola -address-length=4", kMotorolaCheck},
                                        {low + "-tektronix", kTekCheck},
                                        {wide + "-tektronix-extended", kTekCheck}}) {
        const std::string stream = Output(T8_SREC_CAT + output);
        ASSERT_FALSE(stream.empty()) << output;
        EXPECT_EQ(Verdict(check, stream), kOk) << output;
    }
}

} // namespace
} // namespace t8::test
