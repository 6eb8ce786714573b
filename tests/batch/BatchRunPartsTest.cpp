#include "tools/JsonString.h"
#include "tools/t8batch/BatchOptions.h"
#include "tools/t8batch/RunReport.h"
#include "tools/t8batch/TextWatch.h"
#include "tools/t8batch/Transcript.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace t8 {
namespace {

using Args = std::vector<std::string>;

TEST(BatchOptionsTest, TheInterfaceAsDocumented) {
    const BatchOptions all = ParseBatchOptions(
        {"--port", "/dev/ttyUSB1", "--baud=9600", "--timeout", "0", "--fail-on", "ERR",
         "--fail-on=Fail", "--key", "fail", "--log", "/tmp/l", "--json", "job.t8b"});
    EXPECT_EQ(all.error, "");
    EXPECT_EQ(all.port, "/dev/ttyUSB1");
    EXPECT_EQ(all.baud, 9600u);
    EXPECT_EQ(all.timeoutSeconds, 0);
    EXPECT_EQ(all.failOn, (Args{"ERR", "Fail"}));
    EXPECT_EQ(all.key, KeyMode::Fail);
    EXPECT_EQ(all.logPath, "/tmp/l");
    EXPECT_TRUE(all.json);
    EXPECT_FALSE(all.check);
    EXPECT_EQ(all.file, "job.t8b");

    const BatchOptions defaults = ParseBatchOptions({"--", "--odd.t8b"});
    EXPECT_EQ(defaults.file, "--odd.t8b");
    EXPECT_EQ(defaults.timeoutSeconds, BatchOptions::kDefaultTimeoutSeconds);
    EXPECT_FALSE(defaults.key) << "decided by whether standard input is a terminal";
    EXPECT_FALSE(defaults.baud);
    EXPECT_TRUE(ParseBatchOptions({"--help"}).error.empty());

    for (const Args& bad : {Args{}, Args{"a.t8b", "b.t8b"}, Args{"--baud", "12x", "a.t8b"},
                            Args{"--baud", "0", "a.t8b"}, Args{"--baud", "4000001", "a.t8b"},
                            Args{"--timeout", "-1", "a.t8b"}, Args{"--timeout", "86401", "a.t8b"},
                            Args{"--key", "Wait", "a.t8b"}, Args{"--fail-on=", "a.t8b"},
                            Args{"--json=1", "a.t8b"}, Args{"--port"}, Args{"-x", "a.t8b"}}) {
        EXPECT_FALSE(ParseBatchOptions(bad).error.empty()) << (bad.empty() ? "" : bad[0]);
    }
}

TEST(TextWatchTest, FindsATextWhereverTheBlocksSplitIt) {
    const std::string stream = "xxERRORxx\r\nE"; // the texts end at 7 and at 12
    using Found = std::optional<std::size_t>;
    for (std::size_t split = 0; split <= stream.size(); ++split) {
        TextWatch watch({"ERROR", "\r\nE"});
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(stream.data());
        EXPECT_EQ(watch.Feed(bytes, split), split >= 7 ? Found(0) : std::nullopt) << split;
        EXPECT_EQ(watch.Feed(bytes + split, stream.size() - split), split < 7    ? Found(0)
                                                                    : split < 12 ? Found(1)
                                                                                 : std::nullopt)
            << split;
    }
    TextWatch overlapping({"aab"});
    EXPECT_TRUE(overlapping.Feed(reinterpret_cast<const std::uint8_t*>("aaab"), 4));
    TextWatch later({"abc", "bc"});
    const auto found = later.Feed(reinterpret_cast<const std::uint8_t*>("xbc"), 3);
    ASSERT_TRUE(found);
    EXPECT_EQ(later.Text(*found), "bc");
    EXPECT_FALSE(TextWatch({""}).Feed(reinterpret_cast<const std::uint8_t*>("x"), 1))
        << "an empty text never matches";
}

TEST(TranscriptTest, ControlBytesAreEscaped) {
    EXPECT_EQ(Transcript::Escape("ab\r\n\t\\\x1b\x7f\xff>"), "ab\\r\\n\\t\\\\\\x1B\\x7F\\xFF>");
}

TEST(RunReportTest, TheJsonKeysAndValidStrings) {
    RunReport report;
    report.file = "/jobs/a \"b\".t8b";
    report.result = RunResult::DeviceFailure;
    report.message = "the device sent \"ERR\"\n";
    report.lines = 7;
    report.elapsedMs = 1234;
    report.sent = {{"/p/a.hex", 103}, {"/p/b.hex", 0}};
    report.received = {{"/p/r.hex", 55, "Download errors (SUM)!"}};
    EXPECT_EQ(report.Json(),
              "{\"file\":\"/jobs/a \\\"b\\\".t8b\",\"result\":\"device-failure\",\"exitCode\":1,"
              "\"message\":\"the device sent \\\"ERR\\\"\\u000A\",\"lines\":7,\"elapsedMs\":1234,"
              "\"sent\":[{\"file\":\"/p/a.hex\",\"bytes\":103},{\"file\":\"/p/b.hex\",\"bytes\":0}"
              "],\"received\":[{\"file\":\"/p/r.hex\",\"bytes\":55,\"check\":\"Download errors "
              "(SUM)!\"}]}");
    EXPECT_EQ(RunReport{}.Json(),
              "{\"file\":\"\",\"result\":\"ok\",\"exitCode\":0,\"message\":\"\","
              "\"lines\":0,\"elapsedMs\":0,\"sent\":[],\"received\":[]}");
    EXPECT_EQ(JsonString("B\xc3\xa4r"), "\"B\xc3\xa4r\"") << "UTF-8 passes";
    EXPECT_EQ(JsonString("B\xe4r\xc3"), "\"B\xc3\xa4r\xc3\x83\"") << "else taken as Latin-1";
}

} // namespace
} // namespace t8
